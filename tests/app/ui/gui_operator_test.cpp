// The desktop's questions: every yes-or-no one replaces, clears or overwrites something, so a
// key pressed out of habit must not say Yes.
#include "app/ui/gui_operator.h"
#include "support/dialog_fixture.h"

#include <QMessageBox>
#include <QPushButton>

namespace tallyport::test {
namespace {

TEST(GuiOperatorQuestions, EnterAndEscapeAnswerNoAndOnlyYesSaysYes) {
    GuiOperator op;
    struct Case {
        const char* what;
        std::function<void(QMessageBox*)> answer;
        bool expected;
    };
    const std::vector<Case> cases = {
        {"Enter", [](QMessageBox* b) { QTest::keyClick(b, Qt::Key_Return); }, false},
        {"Escape", [](QMessageBox* b) { QTest::keyClick(b, Qt::Key_Escape); }, false},
        {"Yes", [](QMessageBox* b) { b->button(QMessageBox::Yes)->click(); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        bool noIsDefault = false;
        OnNextModal([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr);
            noIsDefault = box->defaultButton() == box->button(QMessageBox::No);
            c.answer(box);
        });
        EXPECT_EQ(op.askYesNo(QStringLiteral("Format the database?")), c.expected);
        EXPECT_TRUE(noIsDefault);
    }
}

}  // namespace
}  // namespace tallyport::test
