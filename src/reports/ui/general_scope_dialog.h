#pragma once

#include "reports/ui/scope_dialog_base.h"

namespace tallyport {

// "Scope of Report" of the time logs, total hours and detail printouts: persons, dates,
// records of interest, options, records per line and record format. Confirm checks nothing.
class GeneralScopeDialog : public ReportScopeDialog {
    Q_OBJECT
public:
    GeneralScopeDialog(Database& src, Operator& op, QWidget* parent = nullptr);
};

}  // namespace tallyport
