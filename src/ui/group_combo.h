#pragma once

class QComboBox;

namespace tallyport {

class Database;

// Fills a drop-down list with every group name in name order and selects the group of that
// id: the first name for id 0, nothing for an id no group has.
void FillGroupCombo(QComboBox* box, Database& src, int groupId);

}  // namespace tallyport
