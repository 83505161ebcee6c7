#pragma once

#include "reports/ui/scope_dialog_base.h"
#include "reports/ui/working_hours_controls.h"

class QCheckBox;

namespace tallyport {

// "Scope of Report" of "First In / Last Out": as the plain scope without records per line,
// plus one standard session, one Saturday session and the overtime options. Choosing a group
// brings the group's hours. In overnight mode (the overnight report: hours such as 20:00 to
// 08:00) Confirm checks nothing and no group's hours are loaded.
class OneSessionScopeDialog : public ReportScopeDialog {
    Q_OBJECT
public:
    explicit OneSessionScopeDialog(Database& src, Operator& op, QWidget* parent = nullptr,
                                   bool overnight = false);

protected:
    void readHours(WorkingHours& h) const override;
    void showHours(const WorkingHours& h) override;

private:
    QGroupBox* buildHours();

    SessionPickers m_standard;
    QCheckBox* m_sat = nullptr;
    SessionPickers m_saturday;
    OvertimeFields m_overtime;
};

}  // namespace tallyport
