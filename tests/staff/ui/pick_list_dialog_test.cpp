#include "staff/ui/pick_list_dialog.h"
#include "staff/ui/staff_rows_model.h"
#include "staff/ui/staff_scope_dialog.h"
#include "staff_ui_fixture.h"
#include "store/setting_names.h"

#include <QComboBox>
#include <QHeaderView>
#include <QRadioButton>

namespace tallyport::test {
namespace {

class PickListDialogTest : public StaffDialogFixture {
protected:
    void addPicked(int card, const QString& name, int group, bool picked) {
        addStaff(card, name, group);
        ASSERT_TRUE(data.src().run(QStringLiteral("update staffs set PICKED=? where CARDNO=?"),
                                   picked, card));
    }
};

TEST_F(PickListDialogTest, RemoveAllOfFiftyMovesEveryCardAcross) {
    for (int card = 1; card <= 50; ++card)
        addPicked(card, QStringLiteral("P%1").arg(card), 1, true);
    PickListDialog d(data.src(), op);
    EXPECT_EQ(control<QGroupBox>(&d, "GroupBox2")->title(),
              QStringLiteral("Allowed Member (50 records)"));
    EXPECT_EQ(control<QGroupBox>(&d, "GroupBox3")->title(),
              QStringLiteral("Denied Member (0 records)"));
    click(&d, "Button3");
    EXPECT_EQ(d.memberGrid()->model()->rowCount(), 0);
    EXPECT_EQ(d.nonmemberGrid()->model()->rowCount(), 50);
    EXPECT_EQ(control<QGroupBox>(&d, "GroupBox2")->title(),
              QStringLiteral("Allowed Member (0 records)"));
    EXPECT_EQ(control<QGroupBox>(&d, "GroupBox3")->title(),
              QStringLiteral("Denied Member (50 records)"));
    EXPECT_TRUE(op.shown().isEmpty());
}

TEST_F(PickListDialogTest, AddAndRemoveMoveTheCurrentCardAndStoreItAtOnce) {
    addPicked(1, QStringLiteral("Amy"), 1, false);
    addPicked(2, QStringLiteral("Bo"), 1, false);
    PickListDialog d(data.src(), op);
    d.nonmemberGrid()->setCurrentIndex(d.nonmemberGrid()->model()->index(1, 0));
    click(&d, "badd");
    EXPECT_EQ(column(d.memberGrid(), 1), QStringList{"Bo"});
    EXPECT_EQ(data.src()
                  .scalarInt(QStringLiteral("select PICKED from staffs where CARDNO=2"))
                  ->value_or(0),
              1);
    click(&d, "bremove");
    EXPECT_EQ(d.memberGrid()->model()->rowCount(), 0);
    EXPECT_EQ(column(d.nonmemberGrid(), 1), (QStringList{"Amy", "Bo"}));
}

TEST_F(PickListDialogTest, TitleClickSortsAndTheColumnIsKeptPerGrid) {
    addGroup(4, QStringLiteral("ANTS"));
    addPicked(1, QStringLiteral("Amy"), 1, false);
    addPicked(2, QStringLiteral("Zoe"), 4, false);
    {
        PickListDialog d(data.src(), op);
        EXPECT_EQ(column(d.nonmemberGrid(), 1), (QStringList{"Amy", "Zoe"}));
        d.nonmemberGrid()->horizontalHeader()->sectionClicked(2);  // WORKGROUP
        EXPECT_EQ(column(d.nonmemberGrid(), 1), (QStringList{"Zoe", "Amy"}));
        click(&d, "Button1");
        EXPECT_EQ(d.result(), QDialog::Accepted);
    }
    EXPECT_EQ(ReadSettingText(setting::PL_nonmember, {}), QStringLiteral("DESCX"));
    EXPECT_EQ(ReadSettingText(setting::PL_member, QStringLiteral("unset")),
              QStringLiteral("unset"));
    PickListDialog again(data.src(), op);
    EXPECT_EQ(column(again.nonmemberGrid(), 1), (QStringList{"Zoe", "Amy"}));
}

TEST_F(PickListDialogTest, ScopeDialogRestoresTheStoredChoiceAndSelectsByIt) {
    addGroup(4, QStringLiteral("NIGHT"));
    addStaff(1, QStringLiteral("Nia"), 4);
    addStaff(2, QStringLiteral("Day"), 1);
    WriteSettingInt(setting::ScopePersons, 1);
    {
        StaffScopeDialog d(data.src(), op);
        auto* groups = control<QComboBox>(&d, "cbgroup");
        EXPECT_TRUE(control<QRadioButton>(&d, "rbgroup")->isChecked());
        EXPECT_TRUE(groups->isEnabled());
        EXPECT_FALSE(control<QWidget>(&d, "bAdd")->isEnabled());
        groups->setCurrentText(QStringLiteral("NIGHT"));
        EXPECT_EQ(d.choice().value().groupId, 4);
        auto rows = SelectStaffByScope(data.src(), op, control<QWidget>(&d, "persons"));
        ASSERT_TRUE(rows && rows->step().value_or(false));
        EXPECT_EQ(rows->text(rows->columnIndex(QStringLiteral("NAME"))), QStringLiteral("Nia"));
        EXPECT_FALSE(rows->step().value_or(true));
        control<QRadioButton>(&d, "rbstaff")->click();
        EXPECT_FALSE(groups->isEnabled());
        EXPECT_TRUE(control<QWidget>(&d, "bAdd")->isEnabled());
    }
    EXPECT_EQ(ReadSettingInt(setting::ScopePersons, -1), 2);
}

}  // namespace
}  // namespace tallyport::test
