#pragma once

#include "reports/ui/scope_dialog_base.h"

namespace tallyport {

// "Who's Status", the one-day reports: persons, one date (today when it opens), records per
// line, record format and options. It remembers no persons choice and no records of interest.
class WhoScopeDialog : public ReportScopeDialog {
    Q_OBJECT
public:
    WhoScopeDialog(Database& src, Operator& op, QWidget* parent = nullptr);
};

}  // namespace tallyport
