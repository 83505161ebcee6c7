#include "reports/ui/general_scope_dialog.h"

#include <QGridLayout>
#include <QGroupBox>

namespace tallyport {

GeneralScopeDialog::GeneralScopeDialog(Database& src, Operator& op, QWidget* parent)
    : ReportScopeDialog(ScopeDialog::Scope, src, op, parent) {
    setObjectName(QStringLiteral("GeneralScopeDialog"));
    auto* body = new QGridLayout;
    body->addWidget(buildPersons(), 0, 0);
    body->addWidget(buildDates(), 1, 0, 3, 1);
    body->addWidget(buildRecords(), 0, 1);
    body->addWidget(buildOptions(), 1, 1);
    body->addWidget(buildRecordsPerLine(), 2, 1);
    body->addWidget(buildRecordFormat(), 3, 1);
    finish(body);
}

}  // namespace tallyport
