#include "app/ui/password_dialog.h"
#include "app/ui/gui_operator.h"
#include "app/ui/new_password_dialog.h"
#include "app/ui/progress_window.h"
#include "support/dialog_fixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>

namespace tallyport::test {
namespace {

template <typename T>
T* child(QWidget* w, const char* name) {
    T* found = w->findChild<T*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

void type(QWidget* dlg, const char* edit, const QString& text) {
    QLineEdit* e = child<QLineEdit>(dlg, edit);
    e->clear();
    QTest::keyClicks(e, text);
}

void clickOk(QWidget* dlg) {
    QTest::mouseClick(child<QPushButton>(dlg, "OKBtn"), Qt::LeftButton);
}

TEST(PasswordDialog, StaysOpenOnAWrongPasswordAndClosesOnTheRightOne) {
    ClearSettings();
    QStringList tried;
    PasswordDialog dlg;
    dlg.setAcceptCheck([&](const QString& typed) {
        tried << typed;
        return typed == QStringLiteral("Secret");
    });
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Password Dialog"));
    QLineEdit* edit = child<QLineEdit>(&dlg, "Password");
    EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(child<QPushButton>(&dlg, "OKBtn")->isDefault());
    EXPECT_EQ(child<QPushButton>(&dlg, "CancelBtn")->text(), QStringLiteral("Cancel"));

    type(&dlg, "Password", QStringLiteral("secret"));  // case matters to the check
    clickOk(&dlg);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(edit->selectedText(), QStringLiteral("secret"));  // ready to be typed over

    type(&dlg, "Password", QStringLiteral("Secret"));
    clickOk(&dlg);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(tried, (QStringList{QStringLiteral("secret"), QStringLiteral("Secret")}));
}

TEST(PasswordDialog, CancelClosesWithoutAsking) {
    bool asked = false;
    PasswordDialog dlg;
    dlg.setAcceptCheck([&](const QString&) { return asked = true; });
    dlg.show();
    QTest::mouseClick(child<QPushButton>(&dlg, "CancelBtn"), Qt::LeftButton);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_FALSE(asked);
}

TEST(NewPasswordDialog, DifferingEntriesKeepItOpenEqualOnesClose) {
    NewPasswordDialog dlg;
    dlg.setAcceptCheck([](const QString& a, const QString& b) { return a == b; });
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Password Dialog"));
    EXPECT_EQ(child<QLineEdit>(&dlg, "ReType")->echoMode(), QLineEdit::Password);
    type(&dlg, "Password", QStringLiteral("abc"));
    type(&dlg, "ReType", QStringLiteral("abd"));
    clickOk(&dlg);
    EXPECT_TRUE(dlg.isVisible());
    type(&dlg, "ReType", QStringLiteral("abc"));
    clickOk(&dlg);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.password(), QStringLiteral("abc"));
}

// The operator's modal dialog, typed into like a person would.
TEST(GuiOperatorAsks, PasswordUntilAcceptedAndNewPasswordOrCancel) {
    GuiOperator op;
    int asked = 0;
    OnNextModal([](QWidget* dlg) {
        EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Old password"));
        type(dlg, "Password", QStringLiteral("wrong"));
        clickOk(dlg);
        type(dlg, "Password", QStringLiteral("right"));
        clickOk(dlg);
    });
    EXPECT_TRUE(op.askPassword(QStringLiteral("Old password"), [&](const QString& t) {
        ++asked;
        return t == QStringLiteral("right");
    }));
    EXPECT_EQ(asked, 2);

    OnNextModal([](QWidget* dlg) {
        type(dlg, "Password", QStringLiteral("new"));
        type(dlg, "ReType", QStringLiteral("new"));
        clickOk(dlg);
    });
    EXPECT_EQ(op.askNewPassword([](const QString& a, const QString& b) { return a == b; }),
              QStringLiteral("new"));

    OnNextModal([](QWidget* dlg) {
        QTest::mouseClick(child<QPushButton>(dlg, "CancelBtn"), Qt::LeftButton);
    });
    EXPECT_EQ(op.askNewPassword([](const QString&, const QString&) { return true; }), std::nullopt);
}

TEST(GuiOperatorAsks, ConfirmAnswersOkOnlyForOk) {
    GuiOperator op;
    for (const auto button : {QMessageBox::Ok, QMessageBox::Cancel}) {
        OnNextModal([button](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->text(), QStringLiteral("Are you sure?"));
            box->button(button)->click();
        });
        EXPECT_EQ(op.confirm(QStringLiteral("Are you sure?")), button == QMessageBox::Ok);
    }
}

TEST(GuiOperatorProgress, CaptionBarAndClosedWithTheOperation) {
    GuiOperator op;
    {
        auto progress = op.progress(QStringLiteral("Importing Log Records"), 3);
        auto* window = dynamic_cast<ProgressWindow*>(progress.get());
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(window->windowTitle(), QStringLiteral("Importing Log Records"));
        EXPECT_EQ(window->maximum(), 3);
        for (int i = 0; i < 5; ++i) progress->step();
        EXPECT_EQ(window->position(), 3);  // never beyond the end
    }
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_NE(w->objectName(), QStringLiteral("ProgressWindow"));

    {
        auto wait = op.waitCursor();
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace tallyport::test
