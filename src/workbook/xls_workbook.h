#pragma once

#include "workbook/biff8.h"
#include "workbook/workbook.h"

#include <QSaveFile>
#include <QTemporaryFile>

namespace tallyport {

// An Excel 97-2003 workbook: a compound file whose "Workbook" stream holds BIFF8 records.
// The globals come first in that stream but list every sheet's position and every shared
// string, so the sheets' records are spooled to a temporary file beside the target as they are
// written and copied in behind the globals at the end: memory stays flat however long the log.
class XlsWorkbook final : public Workbook {
public:
    static Result<std::unique_ptr<Workbook>> create(const QString& path);
    ~XlsWorkbook() override;

protected:
    Result<void> startSheet(const QString& name, const QStringList& columns) override;
    void writeText(int row, int column, const QString& text) override;
    void writeNumber(int row, int column, double value) override;
    void writeDate(int row, int column, double serial) override;
    void writeTime(int row, int column, double dayFraction) override;
    Result<void> endSheet(int rows, const std::vector<int>& widths) override;
    Result<void> finish() override;

private:
    explicit XlsWorkbook(const QString& path);
    Result<void> flush();
    void spill();
    Result<void> patch(qint64 at, const QByteArray& bytes);
    Result<void> copySpool(QIODevice& out);
    Result<void> written(bool ok);

    QSaveFile m_file;
    QTemporaryFile m_spool;
    QByteArray m_pending;  // records not yet in the spool
    biff8::SharedStrings m_strings;
    std::vector<qint64> m_starts;  // where each sheet begins in the spool
    qint64 m_sheetInfoAt = 0;      // the current sheet's column widths and dimensions
    QString m_error;               // the first write that failed
};

}  // namespace tallyport
