#pragma once

#include "reports/ui/scope_dialog_base.h"
#include "reports/ui/working_hours_controls.h"

class QCheckBox;

namespace tallyport {

// "Scope of Report" of "2-session": as the one-session dialog, but the standard day and
// Saturday each hold two sessions, each Saturday session with its own check box.
class TwoSessionScopeDialog : public ReportScopeDialog {
    Q_OBJECT
public:
    explicit TwoSessionScopeDialog(Database& src, Operator& op, QWidget* parent = nullptr);

protected:
    void readHours(WorkingHours& h) const override;
    void showHours(const WorkingHours& h) override;

private:
    QGroupBox* buildHours();

    SessionPickers m_session1, m_session2;
    QCheckBox* m_sat1 = nullptr;
    QCheckBox* m_sat2 = nullptr;
    SessionPickers m_saturday1, m_saturday2;
    OvertimeFields m_overtime;
};

}  // namespace tallyport
