#include "reports/member_list.h"

#include "store/messages.h"

namespace tallyport {

Result<std::vector<MemberRow>> selectMembers(Database& src, StaffScope scope, int groupId) {
    const StaffScopeQuery q =
        staffScopeLines(scope, groupId, QStringLiteral("CARDNO,NAME,descx,MEMO"));
    auto st = src.prepare(q.sql());
    if (!st) return fail(msg::DatabaseError);
    if (q.groupId) st->bind(1, *q.groupId);
    auto rows = st->collect([](const Statement& row) {
        return MemberRow{row.integer(0), row.text(1), row.text(2), row.text(3)};
    });
    if (!rows) return fail(msg::DatabaseError);
    return rows;
}

}  // namespace tallyport
