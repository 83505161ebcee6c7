#include "staff/ui/card_editor_dialog.h"
#include "app/ui/card_commands.h"
#include "staff_ui_fixture.h"
#include "store/photo_codec.h"
#include "test_paths.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>

namespace tallyport::test {
namespace {

const QStringList kReaders = {"Front door", "Back door", "Lab", "Store", "R5", "R6", "R7", "Gate"};

class NameEditor : public StaffDialogFixture {
protected:
    std::unique_ptr<CardEditorDialog> open(int card) {
        auto dialog = std::make_unique<CardEditorDialog>(data.src(), op, kReaders);
        dialog->setEdit(loadCardEdit(data.src(), card).value());
        dialog->show();
        return dialog;
    }
};

TEST_F(NameEditor, RegisteredCardShowsItsRowWithItsNameLockedAndReadersByDescription) {
    addGroup(4, QStringLiteral("NIGHT"));
    ASSERT_TRUE(data.src().run(QStringLiteral(
        "insert into staffs(CARDNO,NAME,WORKGRP,COM2,MEMO) values (77,'Eve',4,1,'hi')")));
    auto d = open(77);
    EXPECT_EQ(control<QLineEdit>(d.get(), "xcode")->text(), QStringLiteral("77"));
    EXPECT_TRUE(control<QLineEdit>(d.get(), "xname")->isReadOnly());
    EXPECT_EQ(control<QComboBox>(d.get(), "cbxgroup")->currentText(), QStringLiteral("NIGHT"));
    for (int i = 0; i < 8; ++i) {
        auto* cb = control<QCheckBox>(d.get(), QStringLiteral("cbcom%1").arg(i + 1).toLatin1());
        EXPECT_EQ(cb->text(), kReaders[i]);
        EXPECT_EQ(cb->isChecked(), i == 1);
    }
    click(d.get(), "xconfirm");  // no name check for a registered card
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(d->edit().name, QStringLiteral("Eve"));
}

TEST_F(NameEditor, ConfirmTrimsRefusesUsedAndEmptyNamesAndStaysOpen) {
    addStaff(1, QStringLiteral("Bob"), 1);
    auto d = open(2);
    auto* name = control<QLineEdit>(d.get(), "xname");
    QTest::keyClicks(name, QStringLiteral("Bob"));
    QTest::keyClick(name, Qt::Key_Return);  // Enter confirms
    EXPECT_TRUE(op.saw(QStringLiteral("Name has been used.")));
    EXPECT_TRUE(d->isVisible());
    name->setText(QStringLiteral("   "));
    click(d.get(), "xconfirm");
    EXPECT_TRUE(op.saw(QStringLiteral("Incorrect name.")));
    EXPECT_TRUE(d->isVisible());
    name->setText(QStringLiteral("  Ann "));
    click(d.get(), "xconfirm");
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(d->edit().name, QStringLiteral("Ann"));
    EXPECT_EQ(d->photo().width(), 240);  // the blank photo at the card size
    EXPECT_EQ(d->photo().height(), 320);
}

// Fields that take no typing look it (the window's ground, not an input field's); a new name
// stops at the 16 characters of NAME as it is typed.
TEST_F(NameEditor, ReadOnlyFieldsLookReadOnlyAndANewNameStopsAt16) {
    auto fresh = open(5);
    auto* code = control<QLineEdit>(fresh.get(), "xcode");
    auto* name = control<QLineEdit>(fresh.get(), "xname");
    const QColor inputGround = name->palette().color(QPalette::Base);
    EXPECT_TRUE(code->isReadOnly());
    EXPECT_FALSE(name->isReadOnly());
    EXPECT_NE(code->palette().color(QPalette::Base), inputGround);
    EXPECT_EQ(code->palette().color(QPalette::Base), code->palette().color(QPalette::Window));
    auto* limit = control<QLabel>(fresh.get(), "xnamelimit");
    QTest::keyClicks(name, QStringLiteral("ABCDEFGHIJKLMNO"));
    EXPECT_FALSE(limit->isVisible());
    QTest::keyClicks(name, QStringLiteral("PQRST"));
    EXPECT_EQ(name->text(), QStringLiteral("ABCDEFGHIJKLMNOP"));
    // The keys that went nowhere are explained, in the dialog, without a box to click away.
    EXPECT_TRUE(limit->isVisible());
    EXPECT_EQ(limit->text(), QStringLiteral("A name holds at most 16 characters."));

    ASSERT_TRUE(data.src().run(
        QStringLiteral("insert into staffs(CARDNO,NAME,WORKGRP) values (6,'SIXTEEN LETTERS!',1)")));
    auto registered = open(6);
    name = control<QLineEdit>(registered.get(), "xname");
    EXPECT_TRUE(name->isReadOnly());
    EXPECT_EQ(name->palette().color(QPalette::Base), name->palette().color(QPalette::Window));
    EXPECT_NE(name->palette().color(QPalette::Base), inputGround);
    QTest::keyClicks(name, QStringLiteral("X"));
    EXPECT_EQ(name->text(), QStringLiteral("SIXTEEN LETTERS!"));
}

TEST_F(NameEditor, DeleteAsksAndCancelLeavesTheEditorOpen) {
    addStaff(3, QStringLiteral("Cy"), 1);
    auto d = open(3);
    op.answerConfirm(false);
    click(d.get(), "xdelete");
    EXPECT_EQ(op.shown("confirm"), QStringList{"Are you sure to delete the record?"});
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(d->edit().name, QStringLiteral("Cy"));
    op.answerConfirm(true);
    click(d.get(), "xdelete");
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_TRUE(d->edit().name.isEmpty());
}

TEST_F(NameEditor, PhotoLoadsAtItsOwnSizeRotatesAndClears) {
    auto d = open(5);
    op.answerFile(QStringLiteral(TALLYPORT_TEST_DATA_DIR "/photos/rgb24.bmp"));
    click(d.get(), "xload");
    const int w = d->photo().width(), h = d->photo().height();
    ASSERT_GT(w, 0);
    ASSERT_NE(w, 100);
    click(d.get(), "bRotate");
    EXPECT_EQ(d->photo().width(), h);
    EXPECT_EQ(d->photo().height(), w);
    EXPECT_FALSE(control<QLabel>(d.get(), "xphoto")->pixmap().isNull());
    click(d.get(), "bClear");
    EXPECT_EQ(d->photo(), Picture(100, 100, 255, 255, 255));
}

TEST_F(NameEditor, DoubleClickOnTheLogIsRefusedWhileLoggedOut) {
    TempDataDir folder;
    Console console(op, folder.path());
    ASSERT_TRUE(console.startUp());
    EXPECT_FALSE(openCardEditor(console, nullptr, 5));
    EXPECT_TRUE(op.saw(QStringLiteral("Feature disabled. Please Login to use it.")));
}

TEST_F(NameEditor, CardEditorStoresWhatWasTypedWithTheReadersOfTheConsole) {
    TempDataDir folder;
    Console console(op, folder.path());
    ASSERT_TRUE(console.startUp());
    console.login().Login();
    ASSERT_TRUE(console.login().loggedIn());
    QString caption;
    OnNextModal([&](QWidget* w) {
        caption = w->findChild<QCheckBox*>(QStringLiteral("cbcom3"))->text();
        w->findChild<QLineEdit*>(QStringLiteral("xname"))->setText(QStringLiteral("Dee"));
        w->findChild<QCheckBox*>(QStringLiteral("cbcom3"))->setChecked(true);
        w->findChild<QAbstractButton*>(QStringLiteral("xconfirm"))->click();
    });
    EXPECT_TRUE(openCardEditor(console, nullptr, 42));
    EXPECT_EQ(caption, console.readers().reader(3).Desc());
    auto st = console.data().src().prepare(
        QStringLiteral("select NAME, COM3, length(PHOTO) from staffs where CARDNO=42"));
    ASSERT_TRUE(st->step().value_or(false));
    EXPECT_EQ(st->text(0), QStringLiteral("Dee"));
    EXPECT_EQ(st->integer(1), 1);
    EXPECT_GT(st->integer(2), 0);
}

}  // namespace
}  // namespace tallyport::test
