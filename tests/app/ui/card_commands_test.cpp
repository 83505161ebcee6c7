#include "app/ui/card_commands.h"
#include "app/commands.h"
#include "app/ui/main_window.h"
#include "staff/ui/card_info_dialog.h"
#include "staff/ui/staff_rows_model.h"
#include "support/dialog_fixture.h"
#include "support/live_console.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>

namespace tallyport::test {
namespace {

using CardCommands = ConsoleFixture;

TEST_F(CardCommands, CardInformationOpensWithTheLogHiddenAndShowsItAgainAfterwards) {
    MainWindow w(console());
    w.show();
    EXPECT_FALSE(w.action(QStringLiteral("actcardinfo"))->isEnabled());
    w.action(cmd::popLogin)->trigger();  // a new installation has no password
    ASSERT_TRUE(w.action(QStringLiteral("actcardinfo"))->isEnabled());
    QString seen;
    bool logHidden = false;
    OnNextModal([&](QWidget* modal) {
        seen = modal->objectName() + QLatin1Char('|') + modal->windowTitle();
        logHidden = w.logGrid()->isHidden();
        qobject_cast<QDialog*>(modal)->reject();
    });
    w.action(QStringLiteral("actcardinfo"))->trigger();
    EXPECT_EQ(seen, QStringLiteral("CardInfoDialog|Card Information List"));
    EXPECT_TRUE(logHidden);
    EXPECT_FALSE(w.logGrid()->isHidden());
}

class AddCard : public LiveConsole {
protected:
    void SetUp() override {
        ClearSettings();
        LiveConsole::SetUp();
    }
    void TearDown() override {
        ExpectNoModalAwaited();
        LiveConsole::TearDown();
    }
};

// A card never read is registered from Card Information: a registered number is refused with
// its holder named, "Read at reader…" passes over a registered card and takes the next unknown
// one, and the card editor stores the new holder, who is then the selected row.
TEST_F(AddCard, ANewCardIsTypedOrReadAtAReaderAndOpensInTheCardEditor) {
    addStaff(100, QStringLiteral("ANNA"), 2);
    QString refusedFocus, passedOver, selectedName;
    int selectedCard = 0;
    OnNextModal([&](QWidget* info) {
        OnNextModal([&](QWidget* ask) {
            auto* number = control<QLineEdit>(ask, "ecardno");
            number->setText(QStringLiteral("100"));
            click(ask, "bok");
            // The dialog's own focus: under load its window need not be the active one.
            refusedFocus = ask->focusWidget() ? ask->focusWidget()->objectName() : QString();
            click(ask, "bread");
            punch(QStringLiteral("card 6 100"));
            passedOver = control<QLabel>(ask, "lhint")->text();
            punch(QStringLiteral("card 6 4711"));
            EXPECT_EQ(number->text(), QStringLiteral("4711"));
            OnNextModal([&](QWidget* editor) {
                control<QLineEdit>(editor, "xname")->setText(QStringLiteral("BORIS"));
                click(editor, "xconfirm");
            });
            click(ask, "bok");
        });
        auto* dialog = qobject_cast<CardInfoDialog*>(info);
        ASSERT_NE(dialog, nullptr);
        click(info, "badd");
        selectedCard = currentCard(dialog->grid(), dialog->model());
        selectedName = cell(dialog->grid(), dialog->grid()->currentIndex().row(), 1);
        dialog->reject();
    });
    openCardInfo(console, nullptr);
    EXPECT_EQ(op.shown(QStringLiteral("error")),
              QStringList{QStringLiteral("Card 100 is registered to ANNA.")});
    EXPECT_EQ(refusedFocus, QStringLiteral("ecardno"));
    EXPECT_EQ(passedOver, QStringLiteral("Card 100 is registered to ANNA: present another card."));
    EXPECT_EQ(selectedCard, 4711);
    EXPECT_EQ(selectedName, QStringLiteral("BORIS"));
    EXPECT_EQ(src()
                  .scalarInt(QStringLiteral("SELECT count(*) FROM staffs WHERE CARDNO = 4711 "
                                            "AND NAME = 'BORIS'"))
                  ->value_or(0),
              1);
}

}  // namespace
}  // namespace tallyport::test
