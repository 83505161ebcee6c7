#include "staff/pick_list.h"

#include "store/messages.h"

namespace tallyport {

StaffScope staffScopeFromInt(int value) {
    if (value == 1) return StaffScope::Group;
    if (value == 2) return StaffScope::PickList;
    return StaffScope::All;
}

StaffScopeQuery staffScopeLines(StaffScope scope, int groupId, const QString& columns) {
    StaffScopeQuery q;
    q.lines = {QStringLiteral("select ") + columns + QStringLiteral(" from staffs"),
               QStringLiteral("left join gid on staffs.workgrp=gid.id")};
    switch (scope) {
        case StaffScope::All:
            q.lines << QStringLiteral("order by NAME");
            break;
        case StaffScope::Group:
            // Group 0 is "no group": a name that names no group selects nobody, never the
            // holders without one.
            if (groupId > 0) {
                q.lines << QStringLiteral("where WORKGRP=?");
                q.groupId = groupId;
            } else {
                q.lines << QStringLiteral("where 0");
            }
            q.lines << QStringLiteral("order by NAME");
            break;
        case StaffScope::PickList:
            // The store's own order, the order the holders were registered in, whatever
            // index the query is answered from.
            q.lines << QStringLiteral("where picked=1") << QStringLiteral("order by SEQ");
            break;
    }
    return q;
}

std::optional<Statement> SelectStaffByScope(Database& src, Operator& op, StaffScope scope,
                                            int groupId) {
    const StaffScopeQuery q = staffScopeLines(scope, groupId);
    auto st = src.prepare(q.sql());
    if (!st) {
        op.error(msg::DatabaseError);
        return std::nullopt;
    }
    if (q.groupId) st->bind(1, *q.groupId);
    return std::move(*st);
}

Result<void> storePicked(Database& src, int cardNo, bool picked) {
    auto r = src.run(QStringLiteral("update staffs set PICKED=? where CARDNO=?"), picked, cardNo);
    if (!r) return r;
    if (src.changes() == 0) return fail(msg::NoDataRecord);
    return {};
}

Result<void> removeAllPicked(Database& src) {
    return src.run(QStringLiteral("update staffs set PICKED=0 where PICKED<>0"));
}

QString pickListMemberCaption(int count) {
    return QStringLiteral("Allowed Member (%1 records)").arg(count);
}

QString pickListNonmemberCaption(int count) {
    return QStringLiteral("Denied Member (%1 records)").arg(count);
}

}  // namespace tallyport
