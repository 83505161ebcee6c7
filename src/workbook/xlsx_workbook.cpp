#include "workbook/xlsx_workbook.h"

#include <xlsxwriter.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cstdio>

namespace tallyport {

XlsxWorkbook::XlsxWorkbook(const QString& path, QString temporary)
    : Workbook(path, kXlsxDataRows), m_temporary(std::move(temporary)) {}

XlsxWorkbook::~XlsxWorkbook() {
    if (m_book) lxw_workbook_free(m_book);  // frees without writing anything
    if (!m_temporary.isEmpty()) QFile::remove(m_temporary);
}

// The temporary name is taken (and the folder shown to be writable) now; the library writes
// the file under it when the workbook is closed.
Result<std::unique_ptr<Workbook>> XlsxWorkbook::create(const QString& path, bool constantMemory) {
    const QDir folder = QFileInfo(path).absoluteDir();
    QTemporaryFile reserve(folder.filePath(QStringLiteral(".workbook-XXXXXX.xlsx")));
    reserve.setAutoRemove(false);
    if (!reserve.open()) return fail(reserve.errorString());
    std::unique_ptr<XlsxWorkbook> wb(new XlsxWorkbook(path, reserve.fileName()));
    reserve.close();
    const QByteArray file = QFile::encodeName(wb->m_temporary);
    // The library keeps the folder's name: it lives as long as the workbook.
    wb->m_tmpdir = QFile::encodeName(folder.absolutePath());
    lxw_workbook_options options{};
    options.constant_memory = constantMemory ? LXW_TRUE : LXW_FALSE;
    options.tmpdir = wb->m_tmpdir.data();  // beside the target, not in a /tmp held in memory
    options.use_zip64 = LXW_TRUE;
    wb->m_book = workbook_new_opt(file.constData(), &options);
    if (!wb->m_book) return fail(QStringLiteral("Cannot create the workbook."));
    wb->m_header = workbook_add_format(wb->m_book);
    format_set_bold(wb->m_header);
    wb->m_date = workbook_add_format(wb->m_book);
    format_set_num_format(wb->m_date, "yyyy-mm-dd");
    wb->m_time = workbook_add_format(wb->m_book);
    format_set_num_format(wb->m_time, "[hh]:mm:ss");
    return std::unique_ptr<Workbook>(std::move(wb));
}

void XlsxWorkbook::note(int error) {
    if (error != LXW_NO_ERROR && m_error.isEmpty())
        m_error = QString::fromUtf8(lxw_strerror(lxw_error(error)));
}

Result<void> XlsxWorkbook::failed() const {
    if (!m_error.isEmpty()) return fail(m_error);
    return {};
}

Result<void> XlsxWorkbook::startSheet(const QString& name, const QStringList&) {
    m_sheet = workbook_add_worksheet(m_book, name.toUtf8().constData());
    if (!m_sheet) return fail(QStringLiteral("Cannot add the sheet ") + name);
    return failed();
}

// Encoded into one buffer that lives as long as the workbook: a whole log is ten million
// texts, and a fresh QByteArray for each costs more than the library's own work.
void XlsxWorkbook::writeText(int row, int column, const QString& text) {
    m_utf8.resize(size_t(m_encoder.requiredSpace(text.size())) + 1);
    char* end = m_encoder.appendToBuffer(m_utf8.data(), text);
    *end = '\0';
    note(worksheet_write_string(m_sheet, lxw_row_t(row), lxw_col_t(column), m_utf8.data(),
                                row == 0 ? m_header : nullptr));
}

void XlsxWorkbook::writeNumber(int row, int column, double value) {
    note(worksheet_write_number(m_sheet, lxw_row_t(row), lxw_col_t(column), value, nullptr));
}

void XlsxWorkbook::writeDate(int row, int column, double serial) {
    note(worksheet_write_number(m_sheet, lxw_row_t(row), lxw_col_t(column), serial, m_date));
}

void XlsxWorkbook::writeTime(int row, int column, double dayFraction) {
    note(worksheet_write_number(m_sheet, lxw_row_t(row), lxw_col_t(column), dayFraction, m_time));
}

Result<void> XlsxWorkbook::endSheet(int, const std::vector<int>& widths) {
    for (size_t c = 0; c < widths.size(); ++c)
        note(worksheet_set_column(m_sheet, lxw_col_t(c), lxw_col_t(c), widths[c] + 2.0, nullptr));
    return failed();
}

Result<void> XlsxWorkbook::finish() {
    if (auto r = failed(); !r) return r;
    lxw_workbook* book = m_book;
    m_book = nullptr;  // closing frees it, whatever the outcome
    note(workbook_close(book));
    if (auto r = failed(); !r) return r;
    // As QSaveFile does: an older file keeps its permissions, and rename(2) replaces it in one
    // step.
    QFile::setPermissions(m_temporary, QFileInfo::exists(path())
                                           ? QFile::permissions(path())
                                           : QFile::ReadOwner | QFile::WriteOwner |
                                                 QFile::ReadGroup | QFile::ReadOther);
    if (std::rename(QFile::encodeName(m_temporary).constData(),
                    QFile::encodeName(path()).constData()) != 0)
        return fail(QStringLiteral("Cannot replace ") + path());
    m_temporary.clear();
    return {};
}

}  // namespace tallyport
