#include "workbook/biff8.h"

#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace tallyport::biff8 {
namespace {

enum RecordId : quint16 {
    kBof = 0x0809,
    kEof = 0x000A,
    kCodepage = 0x0042,
    kWindow1 = 0x003D,
    kDateMode = 0x0022,
    kFont = 0x0031,
    kFormat = 0x041E,
    kXfRecord = 0x00E0,
    kStyle = 0x0293,
    kBoundSheet = 0x0085,
    kSst = 0x00FC,
    kContinue = 0x003C,
    kExtSst = 0x00FF,
    kColInfo = 0x007D,
    kDimensions = 0x0200,
    kWindow2 = 0x023E,
    kNumber = 0x0203,
    kRk = 0x027E,
    kLabelSst = 0x00FD,
};

constexpr quint16 kUtf16Codepage = 1200;
constexpr int kMaxTextLength = 32767;  // what a cell holds
constexpr quint16 kDateFormat = 164;   // the first number format a workbook may define
constexpr quint16 kTimeFormat = 165;

bool fitsLatin1(QStringView s) {
    return std::all_of(s.begin(), s.end(), [](QChar c) { return c.unicode() < 0x100; });
}

void appendChars(QByteArray& out, QStringView s, bool latin1) {
    if (latin1) {
        for (QChar c : s) out.append(char(c.unicode()));
        return;
    }
    for (QChar c : s) {
        char le[2];
        qToLittleEndian(quint16(c.unicode()), le);
        out.append(le, 2);
    }
}

QByteArray bof(quint16 kind) {
    Body b;
    b.u16(0x0600).u16(kind).u16(0x0DBB).u16(0x07CC).u32(0).u32(0x00000006);
    QByteArray out;
    appendRecord(out, kBof, b.bytes());
    return out;
}

QByteArray font(bool bold) {
    Body b;
    b.u16(200).u16(0).u16(0x7FFF).u16(bold ? 700 : 400).u16(0).u8(0).u8(0).u8(0).u8(0);
    b.shortText(QStringLiteral("Arial"));
    return b.bytes();
}

// Bottom-aligned, no borders, no fill. Style formats leave every attribute to the cells; cell
// formats state all of theirs.
QByteArray xf(quint16 fontIndex, quint16 format, bool style) {
    Body b;
    b.u16(fontIndex).u16(format).u16(style ? 0xFFF5 : 0x0001);
    b.u8(0x20).u8(0).u8(0).u8(style ? 0xF4 : 0xFC).u32(0).u32(0).u16(0x20C0);
    return b.bytes();
}

QByteArray formatsAndStyles() {
    QByteArray out;
    appendRecord(out, kDateMode, Body().u16(0).bytes());  // dates count from 1900
    // The fifth font has index 5: index 4 is never used.
    for (int i = 0; i < 4; ++i) appendRecord(out, kFont, font(false));
    appendRecord(out, kFont, font(true));
    appendRecord(out, kFormat, Body().u16(kDateFormat).text(QStringLiteral("yyyy-mm-dd")).bytes());
    appendRecord(out, kFormat, Body().u16(kTimeFormat).text(QStringLiteral("[hh]:mm:ss")).bytes());
    for (int i = 0; i < XfGeneral; ++i) appendRecord(out, kXfRecord, xf(0, 0, true));
    appendRecord(out, kXfRecord, xf(0, 0, false));
    appendRecord(out, kXfRecord, xf(0, kDateFormat, false));
    appendRecord(out, kXfRecord, xf(0, kTimeFormat, false));
    appendRecord(out, kXfRecord, xf(5, 0, false));
    appendRecord(out, kStyle, Body().u16(0x8000).u8(0).u8(0xFF).bytes());  // "Normal" is XF 0
    return out;
}

QByteArray globalsHead() {
    QByteArray out = bof(0x0005);
    appendRecord(out, kCodepage, Body().u16(kUtf16Codepage).bytes());
    Body w1;
    w1.u16(0).u16(0).u16(0x3A5C).u16(0x2328).u16(0x0038).u16(0).u16(0).u16(1).u16(0x0258);
    appendRecord(out, kWindow1, w1.bytes());
    return out + formatsAndStyles();
}

QByteArray boundSheet(const QString& name, quint32 offset) {
    Body b;
    b.u32(offset).u8(0).u8(0).shortText(name);
    QByteArray out;
    appendRecord(out, kBoundSheet, b.bytes());
    return out;
}

void put16(char* p, quint16 v) {
    qToLittleEndian(v, p);
}

void cellHead(char* rec, quint16 id, quint16 length, int row, int column, quint16 xf) {
    put16(rec, id);
    put16(rec + 2, length);
    put16(rec + 4, quint16(row));
    put16(rec + 6, quint16(column));
    put16(rec + 8, xf);
}

}  // namespace

Body& Body::u8(quint8 v) {
    m_b.append(char(v));
    return *this;
}

Body& Body::u16(quint16 v) {
    char le[2];
    qToLittleEndian(v, le);
    m_b.append(le, 2);
    return *this;
}

Body& Body::u32(quint32 v) {
    char le[4];
    qToLittleEndian(v, le);
    m_b.append(le, 4);
    return *this;
}

Body& Body::f64(double v) {
    quint64 bits;
    std::memcpy(&bits, &v, sizeof bits);
    char le[8];
    qToLittleEndian(bits, le);
    m_b.append(le, 8);
    return *this;
}

Body& Body::shortText(const QString& s) {
    const QStringView v = QStringView(s).left(255);
    const bool latin1 = fitsLatin1(v);
    u8(quint8(v.size())).u8(latin1 ? 0 : 1);
    appendChars(m_b, v, latin1);
    return *this;
}

Body& Body::text(const QString& s) {
    const QStringView v = QStringView(s).left(kMaxTextLength);
    const bool latin1 = fitsLatin1(v);
    u16(quint16(v.size())).u8(latin1 ? 0 : 1);
    appendChars(m_b, v, latin1);
    return *this;
}

void appendRecord(QByteArray& out, quint16 id, const QByteArray& body) {
    char head[4];
    put16(head, id);
    put16(head + 2, quint16(body.size()));
    out.append(head, 4);
    out.append(body);
}

quint32 SharedStrings::indexOf(const QString& text) {
    ++m_uses;
    const auto it = m_index.constFind(text);
    if (it != m_index.constEnd()) return *it;
    const quint32 i = quint32(m_texts.size());
    m_index.insert(text, i);
    m_texts << text;
    return i;
}

// Strings run on from SST into CONTINUE records; a string's characters may be split between
// two records, the second part then starting with its own option byte. EXTSST tells where
// every dsst-th string starts, for readers that look strings up without reading them all.
QByteArray SharedStrings::records(qint64 streamOffset) const {
    QByteArray out, body;
    quint16 id = kSst;
    qint64 recordAt = streamOffset;
    auto flush = [&] {
        appendRecord(out, id, body);
        body.clear();
        id = kContinue;
        recordAt = streamOffset + out.size();
    };
    const int perBucket = std::max<int>(8, int((m_texts.size() + 127) / 128));
    Body extsst;
    extsst.u16(quint16(perBucket));
    body = Body().u32(m_uses).u32(quint32(m_texts.size())).bytes();
    for (qsizetype i = 0; i < m_texts.size(); ++i) {
        const QStringView s = QStringView(m_texts[i]).left(kMaxTextLength);
        const bool latin1 = fitsLatin1(s);
        const int charSize = latin1 ? 1 : 2;
        if (kMaxRecordBody - body.size() < 3 + (s.isEmpty() ? 0 : charSize)) flush();
        if (i % perBucket == 0)
            extsst.u32(quint32(recordAt + 4 + body.size())).u16(quint16(4 + body.size())).u16(0);
        body.append(Body().u16(quint16(s.size())).u8(latin1 ? 0 : 1).bytes());
        for (qsizetype done = 0; done < s.size();) {
            const qsizetype room = (kMaxRecordBody - body.size()) / charSize;
            if (room == 0) {
                flush();
                body.append(char(latin1 ? 0 : 1));
                continue;
            }
            const qsizetype take = std::min(room, s.size() - done);
            appendChars(body, s.mid(done, take), latin1);
            done += take;
        }
    }
    flush();
    appendRecord(out, kExtSst, extsst.bytes());
    return out;
}

QByteArray globals(const SharedStrings& strings, const QStringList& sheets,
                   const std::vector<qint64>& sheetStarts) {
    const QByteArray head = globalsHead();
    qint64 listSize = 0;
    for (const QString& name : sheets) listSize += boundSheet(name, 0).size();
    const QByteArray sst = strings.records(head.size() + listSize);
    const QByteArray end = endOfFile();
    const qint64 total = head.size() + listSize + sst.size() + end.size();
    QByteArray out = head;
    for (qsizetype i = 0; i < sheets.size(); ++i)
        out += boundSheet(sheets[i], quint32(total + sheetStarts[size_t(i)]));
    return out + sst + end;
}

QByteArray sheetBof() {
    return bof(0x0010);
}

QByteArray columnInfo(int column, int widthChars) {
    const int width = std::clamp(widthChars + 2, 4, 255) * 256;
    QByteArray out;
    appendRecord(out, kColInfo,
                 Body()
                     .u16(quint16(column))
                     .u16(quint16(column))
                     .u16(quint16(width))
                     .u16(XfGeneral)
                     .u16(0)
                     .u16(0)
                     .bytes());
    return out;
}

QByteArray dimensions(int rows, int columns) {
    QByteArray out;
    appendRecord(out, kDimensions,
                 Body().u32(0).u32(quint32(rows)).u16(0).u16(quint16(columns)).u16(0).bytes());
    return out;
}

QByteArray window2(bool firstSheet) {
    // Grid, headings, zeros and outline shown in the default colours; the first sheet is the
    // selected and active one.
    const quint16 flags = 0x00B6 | (firstSheet ? 0x0600 : 0);
    QByteArray out;
    appendRecord(out, kWindow2,
                 Body().u16(flags).u16(0).u16(0).u16(0x40).u16(0).u16(0).u16(0).u32(0).bytes());
    return out;
}

QByteArray endOfFile() {
    QByteArray out;
    appendRecord(out, kEof, {});
    return out;
}

void appendNumber(QByteArray& out, int row, int column, quint16 xf, double value) {
    char rec[18];
    // RK holds a 30-bit integer in place of the eight bytes of a double.
    if (std::floor(value) == value && value >= -(1 << 29) && value < (1 << 29)) {
        cellHead(rec, kRk, 10, row, column, xf);
        qToLittleEndian((quint32(qint32(value)) << 2) | 0x2u, rec + 10);
        out.append(rec, 14);
        return;
    }
    cellHead(rec, kNumber, 14, row, column, xf);
    quint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    qToLittleEndian(bits, rec + 10);
    out.append(rec, 18);
}

void appendStringCell(QByteArray& out, int row, int column, quint16 xf, quint32 sst) {
    char rec[14];
    cellHead(rec, kLabelSst, 10, row, column, xf);
    qToLittleEndian(sst, rec + 10);
    out.append(rec, 14);
}

}  // namespace tallyport::biff8
