#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

// The records of an Excel 97-2003 workbook stream (BIFF8) that the .xls writer needs: the
// workbook globals (code page, fonts, number formats, cell formats, sheet list, shared
// strings) and the records of a worksheet (dimensions, column widths, cells, window).
namespace tallyport::biff8 {

// Cell formats (XF records) the writer puts in every workbook. 0..14 are the style formats a
// workbook must have, 15 the default cell format.
enum Xf : quint16 { XfGeneral = 15, XfDate = 16, XfTime = 17, XfHeader = 18 };

// The largest record body; longer data goes on in CONTINUE records.
inline constexpr int kMaxRecordBody = 8224;

// Little-endian record bodies.
class Body {
public:
    Body& u8(quint8 v);
    Body& u16(quint16 v);
    Body& u32(quint32 v);
    Body& f64(double v);
    // A text with a one- or two-byte length: the length, the option byte (8-bit characters when
    // every character fits, else UTF-16), the characters.
    Body& shortText(const QString& s);
    Body& text(const QString& s);
    const QByteArray& bytes() const { return m_b; }

private:
    QByteArray m_b;
};

void appendRecord(QByteArray& out, quint16 id, const QByteArray& body);

// The shared strings: every text once, numbered in the order it was first used.
class SharedStrings {
public:
    quint32 indexOf(const QString& text);
    quint32 uses() const { return m_uses; }
    qsizetype size() const { return m_texts.size(); }
    // SST with its CONTINUE records and EXTSST, placed at `streamOffset` of the stream.
    QByteArray records(qint64 streamOffset) const;

private:
    QHash<QString, quint32> m_index;
    QStringList m_texts;
    quint32 m_uses = 0;
};

// The globals substream, given the sheet names and where each sheet's substream starts,
// counted from the end of the globals.
QByteArray globals(const SharedStrings& strings, const QStringList& sheets,
                   const std::vector<qint64>& sheetStarts);

// A worksheet's records.
QByteArray sheetBof();
QByteArray columnInfo(int column, int widthChars);
QByteArray dimensions(int rows, int columns);
QByteArray window2(bool firstSheet);
QByteArray endOfFile();
inline constexpr int kColumnInfoSize = 16;  // record header included
inline constexpr int kDimensionsSize = 18;

// A number cell: integral values that fit go as RK records, the rest as NUMBER.
void appendNumber(QByteArray& out, int row, int column, quint16 xf, double value);
void appendStringCell(QByteArray& out, int row, int column, quint16 xf, quint32 sst);

}  // namespace tallyport::biff8
