#pragma once

#include "base/error.h"
#include "staff/pick_list.h"
#include "store/sqlcipher_db.h"

#include <QString>
#include <vector>

// The printed list of card holders.
namespace tallyport {

inline const QString kMemberListTitle = QStringLiteral("Member List");

struct MemberRow {
    int cardNo = 0;
    QString name;
    QString group;  // empty when the holder's group is gone
    QString memo;   // the whole remarks, every line
};

// The holders of a scope in its order (All and Group by name, the pick list in the store's
// order). Fails with "Database Error." when they cannot be read.
Result<std::vector<MemberRow>> selectMembers(Database& src, StaffScope scope, int groupId);

}  // namespace tallyport
