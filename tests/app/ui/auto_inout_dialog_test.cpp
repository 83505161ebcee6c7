// "Auto IN/OUT Timer" offscreen: the grid's texts, the pickers, the messages and the options.
#include "app/ui/auto_inout_dialog.h"
#include "app/ui/main_window.h"
#include "store/messages.h"
#include "store/setting_names.h"
#include "store/settings.h"
#include "support/dialog_fixture.h"
#include "support/store_fixture.h"

#include <QLabel>
#include <QTest>

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QTableView>
#include <QTimeEdit>

using namespace tallyport;

namespace {

class AutoIODialog : public tallyport::test::StoreFixture {};

TEST_F(AutoIODialog, AddsShowsAndRefusesPeriodsWithTheSystemsTexts) {
    AutoInOutDialog dlg(data.src(), op);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Auto IN/OUT Timer"));
    EXPECT_EQ(dlg.fromPicker()->time(), QTime(9, 0));
    EXPECT_EQ(dlg.toPicker()->time(), QTime(14, 0));
    dlg.addRecord();
    dlg.fromPicker()->setTime(QTime(14, 0));
    dlg.toPicker()->setTime(QTime(15, 0));
    dlg.addRecord();  // touches 09:00-14:00
    dlg.fromPicker()->setTime(QTime(17, 0));
    dlg.toPicker()->setTime(QTime(8, 0));
    dlg.addRecord();
    EXPECT_EQ(op.shown(),
              (QStringList{"error: " + msg::TimeOverlapped, "error: " + msg::WrongTimeEntry}));
    const QAbstractItemModel* m = dlg.grid()->model();
    ASSERT_EQ(m->rowCount(), 1);
    EXPECT_EQ(m->data(m->index(0, 0)).toString(), QStringLiteral("AM 09:00"));
    EXPECT_EQ(m->data(m->index(0, 1)).toString(), QStringLiteral("PM 02:00"));
    EXPECT_EQ(AutoInOutDialog::gridTime(QTime(0, 5)), QStringLiteral("AM 12:05"));
    EXPECT_EQ(AutoInOutDialog::gridTime(QTime(12, 30)), QStringLiteral("PM 12:30"));
}

TEST_F(AutoIODialog, RowClickFillsThePickersAndDeleteAsks) {
    ASSERT_TRUE(addInPeriod(data.src(), QTime(8, 0), QTime(12, 0)).has_value());
    ASSERT_TRUE(addInPeriod(data.src(), QTime(13, 0), QTime(17, 30)).has_value());
    AutoInOutDialog dlg(data.src(), op);
    dlg.selectRow(1);
    EXPECT_EQ(dlg.fromPicker()->time(), QTime(13, 0));
    EXPECT_EQ(dlg.toPicker()->time(), QTime(17, 30));
    op.answerConfirm(true);
    dlg.deleteRecord();
    ASSERT_EQ(dlg.periods().size(), 1u);
    EXPECT_EQ(dlg.periods()[0].from, QTime(8, 0));
    op.answerConfirm(true);
    dlg.selectRow(0);
    dlg.deleteRecord();
    op.clear();
    dlg.deleteRecord();
    EXPECT_EQ(op.shown(), QStringList{"error: " + msg::NoDataRecord});
}

TEST_F(AutoIODialog, OptionsAreStoredOnClick) {
    WriteSettingBool(setting::AutoInOut, false);
    WriteSettingBool(setting::AutoOverride, true);
    AutoInOutDialog dlg(data.src(), op);
    EXPECT_FALSE(dlg.enableBox()->isChecked());
    EXPECT_TRUE(dlg.overrideBox()->isChecked());
    dlg.enableBox()->click();
    dlg.overrideBox()->click();
    EXPECT_TRUE(ReadSettingBool(setting::AutoInOut, false));
    EXPECT_FALSE(ReadSettingBool(setting::AutoOverride, true));
}

class IoPanel : public tallyport::test::ConsoleFixture {};

TEST_F(IoPanel, ShowsTheDirectionInColourAndFlipsOnClickOnlyWhenAllowed) {
    WriteSettingBool(setting::AutoInOut, true);
    MainWindow w(console());
    w.showMainWindow();
    auto* panel = w.findChild<QLabel*>("iopanel");
    ASSERT_TRUE(panel);
    EXPECT_EQ(panel->text(), QStringLiteral("OUT"));
    EXPECT_TRUE(panel->styleSheet().contains(QStringLiteral("red")));
    QTest::mouseClick(panel, Qt::LeftButton);
    EXPECT_EQ(panel->text(), QStringLiteral("OUT"));  // "AutoOverride" is off
    WriteSettingBool(setting::AutoOverride, true);
    QTest::mouseClick(panel, Qt::LeftButton);
    EXPECT_EQ(panel->text(), QStringLiteral("IN"));
    EXPECT_TRUE(panel->styleSheet().contains(QStringLiteral("blue")));
    EXPECT_EQ(console().autoInOut().overrideCountdown(), AutoInOut::kOverrideTicks);
}

}  // namespace
