#pragma once

#include "base/operator.h"
#include "staff/pick_list.h"
#include "store/sqlcipher_db.h"
#include "ui/persons_group.h"

#include <QDialog>
#include <optional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QPushButton;
class QRadioButton;

namespace tallyport {

// The scope chosen by the controls `rballstaff`, `rbgroup` and `cbgroup` among the direct
// children of a container (a scope frame or dialog): Group with the group's id (0 when the
// name names none), List when neither is checked.
struct StaffScopeChoice {
    StaffScope scope = StaffScope::All;
    int groupId = 0;
};
Result<StaffScopeChoice> scopeFromControls(Database& src, const QWidget* container);

// Opens the holders the container's controls choose; "Database Error." when it cannot.
std::optional<Statement> SelectStaffByScope(Database& src, Operator& op, const QWidget* container);

// "Select Staffs": all persons, one work group or the pick list, and Preview. The choice is
// kept as "ScopePersons" when the dialog goes.
class StaffScopeDialog : public QDialog {
    Q_OBJECT
public:
    StaffScopeDialog(Database& src, Operator& op, QWidget* parent = nullptr);
    ~StaffScopeDialog() override;

    Result<StaffScopeChoice> choice() const;
    bool preview() const;

private:
    Database& m_src;
    PersonsGroup m_persons;
    QCheckBox* m_preview = nullptr;
};

}  // namespace tallyport
