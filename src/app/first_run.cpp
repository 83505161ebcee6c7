#include "app/first_run.h"

#include "admin/reader_setup.h"
#include "store/data_module.h"
#include "store/passwd.h"
#include "store/schema.h"
#include "store/settings.h"

#include <QDir>
#include <algorithm>

namespace tallyport {
namespace {

QString folderKey(const DataModule& data) {
    return QDir(data.dataFolder()).canonicalPath();
}

}  // namespace

Result<FirstRunState> readFirstRunState(DataModule& data) {
    if (!data.isOpen()) return fail(QStringLiteral("The databases are closed."));
    Database& src = data.src();
    FirstRunState s;
    s.password = PasswordRegistered(data);
    auto readers = readReaderRows(src);
    if (!readers) return std::unexpected(readers.error());
    s.reader = std::ranges::any_of(*readers, [](const ReaderRow& r) { return r.enable; });
    auto groups =
        src.scalarInt(QStringLiteral("SELECT count(*) FROM gid WHERE id <> ?"), kDefaultGroupId);
    if (!groups) return std::unexpected(groups.error());
    s.groups = groups->value_or(0) > 0;
    auto holders = src.scalarInt(QStringLiteral("SELECT count(*) FROM staffs"));
    if (!holders) return std::unexpected(holders.error());
    s.holders = holders->value_or(0) > 0;
    auto logged = data.att().scalarInt(QStringLiteral("SELECT EXISTS (SELECT 1 FROM recorder)"));
    if (!logged) return std::unexpected(logged.error());
    s.logged = logged->value_or(0) > 0;
    return s;
}

FirstRunGuide::FirstRunGuide(DataModule& data, QObject* parent) : QObject(parent), m_data(data) {}

// A store that does not answer shows no guide: unknown is not the same as empty.
void FirstRunGuide::start() {
    const auto state = readFirstRunState(m_data);
    if (!state) return;
    m_state = *state;
    const QString folder = folderKey(m_data);
    const bool leftOpen = ReadSettingText(setting::FirstRunGuide, QString()) == folder;
    const bool closed = ReadSettingText(setting::FirstRunGuideClosed, QString()) == folder;
    m_shown = !closed && !m_state.complete() && (m_state.fresh() || leftOpen);
    if (m_shown) WriteSettingText(setting::FirstRunGuide, folderKey(m_data));
    Q_EMIT changed();
}

void FirstRunGuide::refresh() {
    if (!m_shown) return;
    const auto state = readFirstRunState(m_data);
    if (!state || *state == m_state) return;
    m_state = *state;
    if (m_state.complete()) return end();
    Q_EMIT changed();
}

void FirstRunGuide::close() {
    if (!m_shown) return;
    WriteSettingText(setting::FirstRunGuideClosed, folderKey(m_data));
    end();
}

void FirstRunGuide::end() {
    m_shown = false;
    if (ReadSettingText(setting::FirstRunGuide, QString()) == folderKey(m_data))
        WriteSettingText(setting::FirstRunGuide, QString());
    Q_EMIT changed();
}

}  // namespace tallyport
