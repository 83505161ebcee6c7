#pragma once

#include "base/error.h"
#include "base/operator.h"
#include "store/sqlcipher_db.h"

#include <QString>
#include <QStringList>
#include <QTime>
#include <optional>
#include <vector>

namespace tallyport {

namespace msg {
inline const QString CannotDeleteDefaultGroup =
    QStringLiteral("Cannot delete default group.");  // plain
}  // namespace msg

// The longest group name the store keeps.
inline constexpr int kGroupNameLength = 20;

// One row of `gid`: the standard hours of a weekday in two sessions, up to two Saturday
// sessions and the overtime parameters. The defaults are what a new group starts with.
struct WorkGroup {
    int id = 0;
    QString name;
    QTime wdFrom1{9, 0}, wdTo1{13, 0}, wdFrom2{14, 0}, wdTo2{17, 0};
    bool satEnable1 = false;
    QTime satFrom1{9, 0}, satTo1{13, 0};
    bool satEnable2 = false;
    QTime satFrom2{14, 0}, satTo2{17, 0};
    int otMin = 15;
    int otMulti = 5;
};

// The name of the group with that id; empty when there is none.
Result<QString> GroupName(Database& src, int id);
// The id of the group of that name (letter case ignored); 0 when there is none.
Result<int> GroupId(Database& src, const QString& name);
// The first group name in name order (what a group drop-down shows first); empty when there is
// no group.
Result<QString> firstGroupName(Database& src);

// What a group drop-down shows: every name in name order, and the index to select (-1: none).
// Id 0 selects the first name; an id no group has, or a negative one, selects nothing.
struct GroupChoice {
    QStringList names;
    int index = -1;
};
Result<GroupChoice> FillGroupCombo(Database& src, int groupId);

// Every group in id order.
Result<std::vector<WorkGroup>> loadGroups(Database& src);
Result<std::optional<WorkGroup>> loadWorkGroup(Database& src, int id);

// The editor control a refused check points at.
enum class GroupField { Name, WdStart1, WdStart2, Sat1Check, SatStart1, SatStart2 };

// The checks of the group editor's Confirm, in order. Trims the name and turns it to upper
// case in place. Shows "Invalid input." on a failed check, asks before overwriting a group of
// the same name (Cancel refuses silently). Answers the control to focus when refused.
std::optional<GroupField> checkGroup(Database& src, Operator& op, WorkGroup& group);

// Stores the group: the row of the same name is overwritten, otherwise a row is added.
// Answers the id of the stored row; nothing is changed on failure.
Result<int> SaveGroup(Database& src, const WorkGroup& group);

// Deletes a group after the question; the default group is refused. Shows every message
// itself; true when the row was deleted.
bool deleteGroup(Database& src, Operator& op, int id);

}  // namespace tallyport
