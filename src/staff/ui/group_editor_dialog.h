#pragma once

#include "staff/groups.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QLineEdit;
class QSpinBox;
class QTimeEdit;

namespace tallyport {

// The work group editor ("Work Group Information"). It edits a WorkGroup; Confirm runs the
// check it is given and stays open, with the focus on the offending control, when refused.
class GroupEditorDialog : public QDialog {
    Q_OBJECT
public:
    using Check = std::function<std::optional<GroupField>(WorkGroup&)>;

    explicit GroupEditorDialog(Check check, QWidget* parent = nullptr);

    WorkGroup group() const;
    void setGroup(const WorkGroup& g);

    QLineEdit* edname = nullptr;
    QTimeEdit *dtpSTDstart1 = nullptr, *dtpSTDend1 = nullptr;
    QTimeEdit *dtpSTDstart2 = nullptr, *dtpSTDend2 = nullptr;
    QCheckBox* cbsat1 = nullptr;
    QTimeEdit *dtpSATstart1 = nullptr, *dtpSATend1 = nullptr;
    QCheckBox* cbsat2 = nullptr;
    QTimeEdit *dtpSATstart2 = nullptr, *dtpSATend2 = nullptr;
    QSpinBox* seOTmin = nullptr;
    QSpinBox* seOTmul = nullptr;

private:
    QWidget* buildHours();
    QWidget* control(GroupField field) const;
    void confirm();

    Check m_check;
    int m_id = 0;
};

}  // namespace tallyport
