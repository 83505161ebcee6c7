#pragma once

#include "workbook/workbook.h"

#include <QStringEncoder>
#include <vector>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace tallyport {

// An Office Open XML workbook through libxlsxwriter, written under a temporary name in the
// target's folder and renamed into place.
class XlsxWorkbook final : public Workbook {
public:
    // `constantMemory`: rows go to disk as they are written (for a few long sheets; every
    // sheet then keeps a temporary file open until the end).
    static Result<std::unique_ptr<Workbook>> create(const QString& path, bool constantMemory);
    ~XlsxWorkbook() override;

protected:
    Result<void> startSheet(const QString& name, const QStringList& columns) override;
    void writeText(int row, int column, const QString& text) override;
    void writeNumber(int row, int column, double value) override;
    void writeDate(int row, int column, double serial) override;
    void writeTime(int row, int column, double dayFraction) override;
    Result<void> endSheet(int rows, const std::vector<int>& widths) override;
    Result<void> finish() override;

private:
    XlsxWorkbook(const QString& path, QString temporary);
    void note(int error);
    Result<void> failed() const;

    QString m_temporary;
    QByteArray m_tmpdir;
    lxw_workbook* m_book = nullptr;
    lxw_worksheet* m_sheet = nullptr;
    lxw_format* m_header = nullptr;
    lxw_format* m_date = nullptr;
    lxw_format* m_time = nullptr;
    QString m_error;
    QStringEncoder m_encoder{QStringEncoder::Utf8};
    std::vector<char> m_utf8;
};

}  // namespace tallyport
