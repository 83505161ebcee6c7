#include "workbook/xls_workbook.h"

#include "workbook/compound_file.h"

#include <QDir>
#include <QFileInfo>

namespace tallyport {
namespace {

constexpr qsizetype kSpoolChunk = 1 << 20;

}  // namespace

XlsWorkbook::XlsWorkbook(const QString& path) : Workbook(path, kXlsDataRows), m_file(path) {
    m_spool.setFileTemplate(
        QFileInfo(path).absoluteDir().filePath(QStringLiteral(".sheets-XXXXXX")));
}

// Without commit() the save file drops its temporary copy and the spool goes with it.
XlsWorkbook::~XlsWorkbook() = default;

Result<std::unique_ptr<Workbook>> XlsWorkbook::create(const QString& path) {
    std::unique_ptr<XlsWorkbook> wb(new XlsWorkbook(path));
    if (!wb->m_file.open(QIODevice::WriteOnly)) return fail(wb->m_file.errorString());
    if (!wb->m_spool.open()) return fail(wb->m_spool.errorString());
    return std::unique_ptr<Workbook>(std::move(wb));
}

Result<void> XlsWorkbook::written(bool ok) {
    if (!ok && m_error.isEmpty()) m_error = m_spool.errorString();
    if (!m_error.isEmpty()) return fail(m_error);
    return {};
}

// A failed write is kept in m_error and said when the sheet or the file ends.
void XlsWorkbook::spill() {
    if (m_pending.size() >= kSpoolChunk) (void)flush();
}

Result<void> XlsWorkbook::flush() {
    const bool ok = m_spool.write(m_pending) == m_pending.size();
    m_pending.clear();
    return written(ok);
}

// A record already in the spool is rewritten in place.
Result<void> XlsWorkbook::patch(qint64 at, const QByteArray& bytes) {
    if (auto r = flush(); !r) return r;
    const qint64 end = m_spool.pos();
    const bool ok = m_spool.seek(at) && m_spool.write(bytes) == bytes.size() && m_spool.seek(end);
    return written(ok);
}

Result<void> XlsWorkbook::startSheet(const QString& name, const QStringList& columns) {
    Q_UNUSED(name);
    if (auto r = flush(); !r) return r;
    m_starts.push_back(m_spool.pos());
    m_pending += biff8::sheetBof();
    // Column widths and dimensions are known when the sheet ends; room is kept for them here,
    // where the records must stand.
    m_sheetInfoAt = m_starts.back() + m_pending.size();
    m_pending += QByteArray(columns.size() * biff8::kColumnInfoSize + biff8::kDimensionsSize, '\0');
    return {};
}

void XlsWorkbook::writeText(int row, int column, const QString& text) {
    const biff8::Xf xf = row == 0 ? biff8::XfHeader : biff8::XfGeneral;
    biff8::appendStringCell(m_pending, row, column, xf, m_strings.indexOf(text));
    spill();
}

void XlsWorkbook::writeNumber(int row, int column, double value) {
    biff8::appendNumber(m_pending, row, column, biff8::XfGeneral, value);
    spill();
}

void XlsWorkbook::writeDate(int row, int column, double serial) {
    biff8::appendNumber(m_pending, row, column, biff8::XfDate, serial);
    spill();
}

void XlsWorkbook::writeTime(int row, int column, double dayFraction) {
    biff8::appendNumber(m_pending, row, column, biff8::XfTime, dayFraction);
    spill();
}

Result<void> XlsWorkbook::endSheet(int rows, const std::vector<int>& widths) {
    m_pending += biff8::window2(m_starts.size() == 1);
    m_pending += biff8::endOfFile();
    QByteArray info;
    for (size_t c = 0; c < widths.size(); ++c) info += biff8::columnInfo(int(c), widths[c]);
    info += biff8::dimensions(rows, int(widths.size()));
    return patch(m_sheetInfoAt, info);
}

Result<void> XlsWorkbook::copySpool(QIODevice& out) {
    if (!m_spool.seek(0)) return written(false);
    QByteArray chunk;
    while (!m_spool.atEnd()) {
        chunk = m_spool.read(kSpoolChunk);
        if (chunk.isEmpty()) return written(false);
        if (out.write(chunk) != chunk.size()) return fail(out.errorString());
    }
    return {};
}

Result<void> XlsWorkbook::finish() {
    if (auto r = flush(); !r) return r;
    const QByteArray globals = biff8::globals(m_strings, sheetNames(), m_starts);
    const qint64 size = globals.size() + m_spool.size();
    auto r = writeCompoundFile(m_file, QStringLiteral("Workbook"), size, [&](QIODevice& out) {
        if (out.write(globals) != globals.size()) return Result<void>(fail(out.errorString()));
        return copySpool(out);
    });
    if (!r) return r;
    if (!m_file.commit()) return fail(m_file.errorString());
    return {};
}

}  // namespace tallyport
