#pragma once

#include "store/sqlcipher_db.h"

#include <functional>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QPushButton;
class QWidget;

namespace tallyport {

// "Persons of interest" (`persons`): "All" (`rballstaff`, checked), "Group" (`rbgroup`) with
// the group list (`cbgroup`, first name shown), "List" (`rbstaff`) with "Pick List" (`bAdd`).
// The list and the button are enabled only with their choice. The button group's ids are the
// StaffScope values (0 all, 1 group, 2 list). The button calls `openPickList` with the
// dialog's window: the pick list is another dialog, which the caller opens.
struct PersonsGroup {
    QGroupBox* box = nullptr;
    QButtonGroup* choice = nullptr;
    QComboBox* groups = nullptr;
    QPushButton* pick = nullptr;
};
using PickListOpener = std::function<void(QWidget* window)>;
PersonsGroup buildPersonsGroup(QWidget* parent, Database& src, PickListOpener openPickList);

}  // namespace tallyport
