#include "workbook/workbook.h"

#include "store/output_guard.h"
#include "workbook/xls_workbook.h"
#include "workbook/xlsx_workbook.h"

#include <cmath>

namespace tallyport {

WorkbookFormat workbookFormatOf(const QString& path) {
    return path.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive) ? WorkbookFormat::Xlsx
                                                                      : WorkbookFormat::Xls;
}

QString sheetNameText(const QString& wanted) {
    QString name = wanted.left(kSheetNameLength);
    for (QChar& c : name)
        if (QStringLiteral(":\\/?*[]").contains(c) || c.category() == QChar::Other_Control)
            c = u'_';
    // A leading or trailing apostrophe is refused by the spreadsheet programs.
    if (name.startsWith(u'\'')) name[0] = u'_';
    if (name.endsWith(u'\'')) name[name.size() - 1] = u'_';
    return name.isEmpty() ? QStringLiteral("_") : name;
}

namespace {

// The name itself when free, else the first of "name (2)", "name (3)", ... that is; the name
// is shortened to leave room for the number. Sheet names compare without regard to case.
QString freeName(const QString& name, const QStringList& taken) {
    if (!taken.contains(name, Qt::CaseInsensitive)) return name;
    for (int n = 2;; ++n) {
        const QString suffix = QStringLiteral(" (%1)").arg(n);
        const QString candidate = name.left(kSheetNameLength - suffix.size()) + suffix;
        if (!taken.contains(candidate, Qt::CaseInsensitive)) return candidate;
    }
}

// How wide a number shows, without formatting it: whole numbers by their digits.
int numberChars(double value) {
    if (value != std::floor(value) || std::abs(value) >= 1e15) return 12;
    int chars = value < 0 ? 2 : 1;
    for (double v = std::abs(value); v >= 10; v /= 10) ++chars;
    return chars;
}

constexpr int kDateChars = 10;  // yyyy-mm-dd
constexpr int kTimeChars = 8;   // hh:mm:ss

}  // namespace

Result<std::unique_ptr<Workbook>> Workbook::create(const QString& path, WorkbookFormat format,
                                                   bool largeSheets) {
    if (auto own = checkOutputTarget(path); !own) return std::unexpected(own.error());
    if (format == WorkbookFormat::Xlsx) return XlsxWorkbook::create(path, largeSheets);
    return XlsWorkbook::create(path);
}

Workbook::~Workbook() = default;

double Workbook::serialDate(const QDate& date) {
    static const qint64 epoch = QDate(1899, 12, 30).toJulianDay();
    return double(date.toJulianDay() - epoch);
}

Result<void> Workbook::openSheet(const QString& name) {
    const QString unique = freeName(sheetNameText(name), m_sheets);
    if (auto r = startSheet(unique, m_columns); !r) return r;
    m_sheets << unique;
    m_widths.assign(size_t(m_columns.size()), 0);
    for (int c = 0; c < m_columns.size(); ++c) {
        widen(c, m_columns[c].size());
        writeText(0, c, m_columns[c]);
    }
    m_row = 0;
    m_open = true;
    return {};
}

Result<void> Workbook::closeSheet() {
    if (!m_open) return {};
    m_open = false;
    return endSheet(m_row + 1, m_widths);
}

Result<void> Workbook::addSheet(const QString& name, const QStringList& columns) {
    if (auto r = closeSheet(); !r) return r;
    m_base = name;
    m_columns = columns;
    return openSheet(name);
}

Result<void> Workbook::newRow() {
    if (!m_open) return fail(QStringLiteral("No sheet to write the row on."));
    if (m_row >= m_maxRows) {
        if (auto r = closeSheet(); !r) return r;
        if (auto r = openSheet(m_base); !r) return r;
    }
    ++m_row;
    ++m_dataRows;
    return {};
}

void Workbook::widen(int column, qsizetype chars) {
    int& w = m_widths[size_t(column)];
    w = std::max(w, int(std::min<qsizetype>(chars, 100)));
}

// Cells outside the columns, or before the first row, have nowhere to go.
bool Workbook::takes(int column) const {
    return m_open && m_row > 0 && column >= 0 && column < m_columns.size();
}

// An empty text is an empty cell, in both formats alike.
void Workbook::setText(int column, const QString& text) {
    if (!takes(column) || text.isEmpty()) return;
    widen(column, text.size());
    writeText(m_row, column, text);
}

void Workbook::setNumber(int column, double value) {
    if (!takes(column)) return;
    widen(column, numberChars(value));
    writeNumber(m_row, column, value);
}

void Workbook::setDate(int column, const QDate& date) {
    if (!takes(column)) return;
    if (!date.isValid()) return;
    widen(column, kDateChars);
    writeDate(m_row, column, serialDate(date));
}

void Workbook::setTime(int column, qint64 msOfDay) {
    if (!takes(column)) return;
    widen(column, kTimeChars);
    writeTime(m_row, column, double(msOfDay) / 86'400'000.0);
}

Result<void> Workbook::commit() {
    if (m_committed) return {};
    if (m_sheets.isEmpty()) return fail(QStringLiteral("A workbook needs a sheet."));
    if (auto r = closeSheet(); !r) return r;
    if (auto r = finish(); !r) return r;
    m_committed = true;
    return {};
}

}  // namespace tallyport
