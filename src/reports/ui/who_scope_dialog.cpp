#include "reports/ui/who_scope_dialog.h"

#include <QGridLayout>
#include <QGroupBox>

namespace tallyport {

WhoScopeDialog::WhoScopeDialog(Database& src, Operator& op, QWidget* parent)
    : ReportScopeDialog(ScopeDialog::Who, src, op, parent) {
    setObjectName(QStringLiteral("WhoScopeDialog"));
    auto* body = new QGridLayout;
    body->addWidget(buildPersons(), 0, 0);
    body->addWidget(buildDates(), 1, 0);
    body->addWidget(buildRecordsPerLine(), 0, 1);
    body->addWidget(buildRecordFormat(), 1, 1, 2, 1);
    body->addWidget(buildOptions(), 2, 0);
    finish(body);
}

}  // namespace tallyport
