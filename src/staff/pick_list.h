#pragma once

#include "base/error.h"
#include "base/operator.h"
#include "store/sqlcipher_db.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace tallyport {

// Which persons a report or printout covers; stored as "ScopePersons".
enum class StaffScope { All = 0, Group = 1, PickList = 2 };
// 1 Group, 2 List, any other value All.
StaffScope staffScopeFromInt(int value);

// The query of a scope as lines; the group's id is bound, never written into the text.
struct StaffScopeQuery {
    QStringList lines;
    std::optional<qint64> groupId;
    QString sql() const { return lines.join(QLatin1Char('\n')); }
};
// `columns` replaces the default "*,descx" where a caller needs only some of them.
StaffScopeQuery staffScopeLines(StaffScope scope, int groupId,
                                const QString& columns = QStringLiteral("*,descx"));

// Opens the holders of a scope: every column of `staffs` and the group's `descx`. All and
// Group come in name order, the pick list in the store's order. Shows "Database Error." and
// answers nothing when the query cannot be opened; the caller steps the rows.
std::optional<Statement> SelectStaffByScope(Database& src, Operator& op, StaffScope scope,
                                            int groupId);

// The pick mark of one card. Answers an error when the card has no row.
Result<void> storePicked(Database& src, int cardNo, bool picked);
// Clears every mark in one statement: either all are cleared or, when a mark cannot be
// stored, none, and the failure is answered (never retried without end).
Result<void> removeAllPicked(Database& src);

// The frame captions of the two pick list grids.
QString pickListMemberCaption(int count);     // "Allowed Member (N records)"
QString pickListNonmemberCaption(int count);  // "Denied Member (N records)"

}  // namespace tallyport
