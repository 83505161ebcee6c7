// The demo's groups must pass every check their dialogs and reports make: a demo that answers
// "Invalid input." to the first report tried shows nothing.
#include "app/demo.h"
#include "reports/report_scope.h"
#include "support/store_fixture.h"

namespace tallyport::test {
namespace {

using DemoGroups = StoreFixture;

TEST_F(DemoGroups, PassTheGroupAndReportChecks) {
    for (WorkGroup g : Demo::groups()) {
        SCOPED_TRACE(g.name.toStdString());
        EXPECT_EQ(checkGroup(data.src(), op, g), std::nullopt);
        ASSERT_TRUE(SaveGroup(data.src(), g));
        for (ScopeDialog dialog : {ScopeDialog::OneSession, ScopeDialog::TwoSession}) {
            ReportScope scope;
            scope.from = scope.to = QDate(2026, 1, 5);
            ASSERT_TRUE(readGroupHours(data.src(), g.name, dialog, scope.hours).value());
            EXPECT_EQ(firstInvalidField(dialog, scope), std::nullopt);
        }
    }
    EXPECT_TRUE(op.shown().isEmpty()) << op.shown().join(u'|').toStdString();
}

}  // namespace
}  // namespace tallyport::test
