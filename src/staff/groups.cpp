#include "staff/groups.h"

#include "store/date_time.h"
#include "store/messages.h"
#include "store/schema.h"

namespace tallyport {

namespace {

const QString kGroupColumns = QStringLiteral(
    "id, descx, wd_from_1, wd_to_1, wd_from_2, wd_to_2, sat_enable_1, sat_from_1, sat_to_1, "
    "sat_enable_2, sat_from_2, sat_to_2, ot_min, ot_multi");

// A stored time of day; a missing or unreadable one reads as midnight.
QTime timeAt(const Statement& st, int i) {
    const QTime t = parseTimeOfDayText(st.text(i));
    return t.isValid() ? t : QTime(0, 0);
}

WorkGroup groupFromRow(const Statement& st) {
    WorkGroup g;
    g.id = st.integer(0);
    g.name = st.text(1);
    g.wdFrom1 = timeAt(st, 2);
    g.wdTo1 = timeAt(st, 3);
    g.wdFrom2 = timeAt(st, 4);
    g.wdTo2 = timeAt(st, 5);
    g.satEnable1 = st.yesNo(6);
    g.satFrom1 = timeAt(st, 7);
    g.satTo1 = timeAt(st, 8);
    g.satEnable2 = st.yesNo(9);
    g.satFrom2 = timeAt(st, 10);
    g.satTo2 = timeAt(st, 11);
    g.otMin = st.integer(12);
    g.otMulti = st.integer(13);
    return g;
}

// Times of day compare to the millisecond.
bool later(const QTime& a, const QTime& b) {
    return a.msecsSinceStartOfDay() > b.msecsSinceStartOfDay();
}

// The time checks, after the name: the first failing control, or nothing.
std::optional<GroupField> checkTimes(const WorkGroup& g) {
    if (!later(g.wdTo1, g.wdFrom1)) return GroupField::WdStart1;
    if (!later(g.wdTo2, g.wdFrom2)) return GroupField::WdStart2;
    if (later(g.wdFrom1, g.wdFrom2)) return GroupField::WdStart2;
    if (g.satEnable1 && !later(g.satTo1, g.satFrom1)) return GroupField::SatStart1;
    if (g.satEnable2) {
        if (!g.satEnable1) return GroupField::Sat1Check;
        if (!later(g.satTo2, g.satFrom2)) return GroupField::SatStart2;
        if (!later(g.satFrom2, g.satTo1)) return GroupField::SatStart2;
    }
    return std::nullopt;
}

}  // namespace

Result<QString> GroupName(Database& src, int id) {
    auto name = src.queryOne(
        QStringLiteral("SELECT descx FROM gid WHERE id = ?"),
        [](const Statement& st) { return st.text(0); }, id);
    if (!name) return std::unexpected(name.error());
    return name->value_or(QString());
}

Result<int> GroupId(Database& src, const QString& name) {
    // An exact match wins over one that differs only in letter case.
    auto id = src.scalarInt(QStringLiteral("SELECT id FROM gid WHERE descx = ? COLLATE NOCASE "
                                           "ORDER BY descx = ? DESC, id LIMIT 1"),
                            name, name);
    if (!id) return std::unexpected(id.error());
    return int(id->value_or(0));
}

Result<GroupChoice> FillGroupCombo(Database& src, int groupId) {
    auto st = src.prepare(QStringLiteral("SELECT id, descx FROM gid ORDER BY descx"));
    if (!st) return std::unexpected(st.error());
    GroupChoice choice;
    for (;;) {
        auto row = st->step();
        if (!row) return std::unexpected(row.error());
        if (!*row) break;
        if (groupId > 0 && st->integer(0) == groupId) choice.index = int(choice.names.size());
        choice.names << st->text(1);
    }
    if (groupId == 0 && !choice.names.isEmpty()) choice.index = 0;
    return choice;
}

Result<QString> firstGroupName(Database& src) {
    auto name = src.queryOne(QStringLiteral("SELECT descx FROM gid ORDER BY descx LIMIT 1"),
                             [](const Statement& st) { return st.text(0); });
    if (!name) return std::unexpected(name.error());
    return name->value_or(QString());
}

Result<std::vector<WorkGroup>> loadGroups(Database& src) {
    auto st = src.prepare(QStringLiteral("SELECT %1 FROM gid ORDER BY id").arg(kGroupColumns));
    if (!st) return std::unexpected(st.error());
    std::vector<WorkGroup> groups;
    for (;;) {
        auto row = st->step();
        if (!row) return std::unexpected(row.error());
        if (!*row) return groups;
        groups.push_back(groupFromRow(*st));
    }
}

Result<std::optional<WorkGroup>> loadWorkGroup(Database& src, int id) {
    return src.queryOne(QStringLiteral("SELECT %1 FROM gid WHERE id = ?").arg(kGroupColumns),
                        &groupFromRow, id);
}

std::optional<GroupField> checkGroup(Database& src, Operator& op, WorkGroup& group) {
    group.name = group.name.trimmed().toUpper();
    // A longer name could not be stored: refuse it here rather than fail at the store.
    if (group.name.isEmpty() || group.name.size() > kGroupNameLength) {
        op.error(msg::InvalidInput);
        return GroupField::Name;
    }
    // The sessions first: asking to overwrite a group with times that are refused anyway
    // would only make the operator answer twice.
    if (auto field = checkTimes(group)) {
        op.error(msg::InvalidInput);
        return field;
    }
    const auto existing = GroupId(src, group.name);
    if (!existing) {
        op.errorDetail(msg::DatabaseError, existing.error().text);
        return GroupField::Name;
    }
    if (*existing > 0 && !op.confirm(msg::ConfirmOverwrite)) return GroupField::Name;
    return std::nullopt;
}

Result<int> SaveGroup(Database& src, const WorkGroup& g) {
    const auto found = GroupId(src, g.name);
    if (!found) return fail(msg::UpdateFailed);
    const int existing = *found;
    const QString values = QStringLiteral(
        "descx = ?, wd_from_1 = ?, wd_to_1 = ?, wd_from_2 = ?, wd_to_2 = ?, sat_enable_1 = ?, "
        "sat_from_1 = ?, sat_to_1 = ?, sat_enable_2 = ?, sat_from_2 = ?, sat_to_2 = ?, "
        "ot_min = ?, ot_multi = ?");
    const QString sql =
        existing > 0 ? QStringLiteral("UPDATE gid SET %1 WHERE id = ?").arg(values)
                     : QStringLiteral("INSERT INTO gid(%1) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?)")
                           .arg(kGroupColumns.section(QLatin1Char(','), 1));
    auto st = src.prepare(sql);
    if (!st) return fail(msg::UpdateFailed);
    st->bindAll(g.name, timeOfDayText(g.wdFrom1), timeOfDayText(g.wdTo1), timeOfDayText(g.wdFrom2),
                timeOfDayText(g.wdTo2), g.satEnable1, timeOfDayText(g.satFrom1),
                timeOfDayText(g.satTo1), g.satEnable2, timeOfDayText(g.satFrom2),
                timeOfDayText(g.satTo2), g.otMin, g.otMulti);
    if (existing > 0) st->bind(14, existing);
    if (!st->step()) return fail(msg::UpdateFailed);
    return existing > 0 ? existing : int(src.lastInsertRowId());
}

bool deleteGroup(Database& src, Operator& op, int id) {
    if (id <= 0) {
        op.error(msg::NoDataRecord);
        return false;
    }
    if (id == kDefaultGroupId) {
        op.information(msg::CannotDeleteDefaultGroup);
        return false;
    }
    if (!op.confirm(msg::ConfirmDelete)) return false;
    // Holders of the group keep its number; their group then reads as none.
    if (!src.run(QStringLiteral("DELETE FROM gid WHERE id = ?"), id)) {
        op.error(msg::UpdateFailed);
        return false;
    }
    return true;
}

}  // namespace tallyport
