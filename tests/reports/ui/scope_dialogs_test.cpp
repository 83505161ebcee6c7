// The four report scope dialogs: what they open on, what their controls enable, what Confirm
// refuses and what it remembers.
#include "base/clock.h"
#include "reports/ui/general_scope_dialog.h"
#include "reports/ui/one_session_scope_dialog.h"
#include "reports/ui/two_session_scope_dialog.h"
#include "reports/ui/who_scope_dialog.h"
#include "store/setting_names.h"
#include "support/dialog_fixture.h"
#include "support/store_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimeEdit>

namespace tallyport::test {
namespace {

class ScopeDialogs : public StoreFixture {
protected:
    void SetUp() override {
        ClearSettings();
        StoreFixture::SetUp();
        setAppClock(&clock);
    }
    void TearDown() override { setAppClock(nullptr); }

    template <typename T = QWidget>
    static T* control(QWidget* dialog, const char* name) {
        T* w = dialog->findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    static bool checked(QWidget* d, const char* name) {
        auto* b = control<QAbstractButton>(d, name);
        return b && b->isChecked();
    }
    static void click(QWidget* d, const char* name) { control<QAbstractButton>(d, name)->click(); }
    // The caption of the checked button of a radio group.
    static QString choice(QWidget* d, const char* group) {
        for (auto* b : control<QGroupBox>(d, group)->findChildren<QRadioButton*>())
            if (b->isChecked()) return b->text();
        return {};
    }
    static void choose(QWidget* d, const char* group, const QString& caption) {
        for (auto* b : control<QGroupBox>(d, group)->findChildren<QRadioButton*>())
            if (b->text() == caption) return b->click();
        ADD_FAILURE() << caption.toStdString();
    }
    static QTime time(QWidget* d, const char* name) { return control<QTimeEdit>(d, name)->time(); }
    static void setTime(QWidget* d, const char* name, int h, int m) {
        control<QTimeEdit>(d, name)->setTime(QTime(h, m));
    }
    // Clicks Confirm: true when the dialog closed with the confirm result.
    static bool confirm(ReportScopeDialog& d) {
        d.setResult(QDialog::Rejected);
        click(&d, "bConfirm");
        return d.result() == QDialog::Accepted;
    }
    // A group whose day runs 07:30-12:00, 13:00-16:45 and Saturday 08:00-11:00, 11:30-14:00.
    void addHoursGroup(int id, const QString& name) {
        addGroup(id, name);
        ASSERT_TRUE(data.src().run(
            QStringLiteral(
                "UPDATE gid SET wd_from_1='7:30:0', wd_to_1='12:0:0', wd_from_2='13:0:0', "
                "wd_to_2='16:45:0', sat_enable_1=1, sat_from_1='8:0:0', sat_to_1='11:0:0', "
                "sat_enable_2=1, sat_from_2='11:30:0', sat_to_2='14:0:0', ot_min=30, "
                "ot_multi=10 WHERE id=?"),
            id));
    }

    ManualClock clock{QDateTime(QDate(2026, 3, 11), QTime(10, 0))};
};

TEST_F(ScopeDialogs, PlainScopeOpensOnTheDefaultsAndFollowsItsChoices) {
    addGroup(7, QStringLiteral("NIGHT"));
    addGroup(3, QStringLiteral("DAY"));
    GeneralScopeDialog d(data.src(), op);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Scope of Report"));
    EXPECT_TRUE(checked(&d, "rballstaff"));
    EXPECT_FALSE(control(&d, "cbgroup")->isEnabled());
    EXPECT_FALSE(control(&d, "bAdd")->isEnabled());
    EXPECT_EQ(control<QComboBox>(&d, "cbgroup")->currentText(), QStringLiteral("DAY"));
    EXPECT_TRUE(checked(&d, "rbthisweek"));
    auto* from = control<QDateEdit>(&d, "dpfrom");
    EXPECT_EQ(from->date(), QDate(2026, 3, 11));
    EXPECT_EQ(from->displayFormat(), QStringLiteral("MMMM d, yyyy dddd"));
    EXPECT_FALSE(from->isEnabled());
    EXPECT_EQ(choice(&d, "rgscope"), QStringLiteral("ALL"));
    EXPECT_EQ(choice(&d, "rgrecord"), QStringLiteral("4"));
    EXPECT_EQ(choice(&d, "rgformat"), QStringLiteral(" AM/PMhh:mm:ss"));
    EXPECT_TRUE(checked(&d, "cbenhance"));
    EXPECT_TRUE(checked(&d, "cbpreview"));
    EXPECT_FALSE(checked(&d, "cbblank"));
    EXPECT_FALSE(control(&d, "cbfilo")->isVisible());
    EXPECT_EQ(control(&d, "gbDates")->toolTip(),
              QStringLiteral("Select the date range to be shown on the report"));

    click(&d, "rbgroup");
    EXPECT_TRUE(control(&d, "cbgroup")->isEnabled());
    click(&d, "rbstaff");
    EXPECT_FALSE(control(&d, "cbgroup")->isEnabled());
    EXPECT_TRUE(control(&d, "bAdd")->isEnabled());
    click(&d, "rbrange");
    EXPECT_TRUE(from->isEnabled());
    EXPECT_TRUE(control(&d, "dpto")->isEnabled());
}

TEST_F(ScopeDialogs, PlainScopeTakesAnInvertedRangeAndRemembersOnConfirmOnly) {
    GeneralScopeDialog d(data.src(), op);
    click(&d, "rbrange");
    control<QDateEdit>(&d, "dpto")->setDate(QDate(2026, 3, 1));
    choose(&d, "rgrecord", QStringLiteral("8"));
    choose(&d, "rgscope", QStringLiteral("IN/OUT"));
    click(&d, "cbblank");
    click(&d, "rbstaff");

    click(&d, "bCancel");
    EXPECT_EQ(ReadSettingInt(setting::PrintRecordsPerLine, -1), -1);  // Cancel saves nothing
    ASSERT_TRUE(confirm(d));
    EXPECT_TRUE(op.shown().isEmpty());
    const ReportScope s = d.scope();
    EXPECT_EQ(s.persons, PersonsChoice::List);
    EXPECT_EQ(s.from, QDate(2026, 3, 11));
    EXPECT_EQ(s.to, QDate(2026, 3, 1));
    EXPECT_EQ(ReadSettingInt(setting::PrintDateRange, -1), 5);
    EXPECT_EQ(ReadSettingInt(setting::PrintRecordsPerLine, -1), 8);
    EXPECT_EQ(ReadSettingInt(setting::PrintRecordsScope, -1), 2);
    EXPECT_TRUE(ReadSettingBool(setting::PrintBlankLines, false));
    EXPECT_EQ(ReadSettingInt(setting::PrintPersons, -1), -1);  // the persons are not remembered

    GeneralScopeDialog again(data.src(), op);
    EXPECT_TRUE(checked(&again, "rbrange"));
    EXPECT_TRUE(checked(&again, "rballstaff"));
    EXPECT_EQ(choice(&again, "rgrecord"), QStringLiteral("8"));
    // The range as confirmed, inverted as it was.
    EXPECT_EQ(control<QDateEdit>(&again, "dpfrom")->date(), QDate(2026, 3, 11));
    EXPECT_EQ(control<QDateEdit>(&again, "dpto")->date(), QDate(2026, 3, 1));
    WriteSettingInt(setting::PrintRecordsPerLine, 2);
    WriteSettingInt(setting::PrintDateRange, 9);  // out of range: "This Week"
    GeneralScopeDialog third(data.src(), op);
    EXPECT_EQ(choice(&third, "rgrecord"), QStringLiteral("2"));
    EXPECT_TRUE(checked(&third, "rbthisweek"));
}

TEST_F(ScopeDialogs, WhoStatusHasOneDateAndItsOwnOptions) {
    WriteSettingInt(setting::PrintDateRange, 4);
    WhoScopeDialog d(data.src(), op);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Who's Status"));
    EXPECT_EQ(d.findChild<QWidget*>(QStringLiteral("cbblank")), nullptr);
    EXPECT_EQ(d.findChild<QWidget*>(QStringLiteral("rgscope")), nullptr);
    EXPECT_EQ(d.findChild<QWidget*>(QStringLiteral("dpto")), nullptr);
    EXPECT_EQ(control<QCheckBox>(&d, "cbnewpage")->text().remove(u'&'),
              QStringLiteral("New page on new category"));
    EXPECT_TRUE(checked(&d, "cbnewpage"));  // a new page per category unless told otherwise
    EXPECT_EQ(control<QDateEdit>(&d, "dpfrom")->date(), QDate(2026, 3, 11));
    control<QDateEdit>(&d, "dpfrom")->setDate(QDate(2026, 3, 2));
    click(&d, "cbnewpage");
    ASSERT_TRUE(confirm(d));
    EXPECT_EQ(d.scope().singleDay, QDate(2026, 3, 2));
    EXPECT_FALSE(ReadSettingBool(setting::PrintBreakPage, true));
    EXPECT_EQ(ReadSettingInt(setting::PrintDateRange, -1), 4);  // not the one-day dialog's
}

TEST_F(ScopeDialogs, OneSessionRefusesBadHoursAndChoosingAGroupBringsItsHours) {
    addHoursGroup(4, QStringLiteral("SHOP"));
    OneSessionScopeDialog d(data.src(), op);
    d.show();
    EXPECT_EQ(control(&d, "seOTmin")->toolTip(),
              QStringLiteral("Minimum OT time to start counting as OT"));
    EXPECT_EQ(control(&d, "gbhours")->toolTip(),
              QStringLiteral("Set the working hours for the report"));
    EXPECT_EQ(d.findChild<QWidget*>(QStringLiteral("rgrecord")), nullptr);
    EXPECT_EQ(time(&d, "dtpSTDend"), QTime(17, 0));

    click(&d, "rbrange");
    control<QDateEdit>(&d, "dpto")->setDate(QDate(2026, 3, 10));
    setTime(&d, "dtpSTDstart", 18, 0);
    EXPECT_FALSE(confirm(d));
    EXPECT_EQ(d.focusWidget()->objectName(), QStringLiteral("dpfrom"));
    click(&d, "rbthisweek");  // the pickers no longer count
    EXPECT_FALSE(confirm(d));
    EXPECT_EQ(d.focusWidget()->objectName(), QStringLiteral("dtpSTDstart"));
    EXPECT_EQ(op.shown(QStringLiteral("error")),
              (QStringList{QStringLiteral("The range ends before it starts: \"To\" is before "
                                          "\"From\"."),
                           QStringLiteral("The end of the standard time is before its start.")}));
    EXPECT_EQ(ReadSettingInt(setting::PrintDateRange, -1), -1);  // nothing written yet

    control<QSpinBox>(&d, "seOTfree")->setValue(-5);  // no limits
    control<QSpinBox>(&d, "seOTmin")->setValue(99);
    click(&d, "rbgroup");  // the first group, a new installation's DEFAULT, replaces them
    EXPECT_EQ(time(&d, "dtpSTDstart"), QTime(9, 0));
    control<QComboBox>(&d, "cbgroup")->setCurrentText(QStringLiteral("SHOP"));
    EXPECT_EQ(time(&d, "dtpSTDstart"), QTime(7, 30));
    EXPECT_EQ(time(&d, "dtpSTDend"), QTime(16, 45));
    EXPECT_TRUE(checked(&d, "cbsat"));
    EXPECT_EQ(time(&d, "dtpSATend"), QTime(14, 0));
    EXPECT_EQ(control<QSpinBox>(&d, "seOTmin")->value(), 30);
    EXPECT_EQ(control<QSpinBox>(&d, "seOTmul")->value(), 10);
    EXPECT_EQ(control<QSpinBox>(&d, "seOTfree")->value(), -5);  // never from a group
    ASSERT_TRUE(confirm(d));
    EXPECT_EQ(ReadSettingInt(setting::PrintPersons, -1), 1);
    EXPECT_EQ(ReadSettingTime(setting::LastStdStart, QTime()), QTime(7, 30));

    WriteSettingTime(setting::LastStdStart, QTime(6, 0));  // a remembered group brings its hours
    OneSessionScopeDialog again(data.src(), op);
    EXPECT_TRUE(checked(&again, "rbgroup"));
    EXPECT_EQ(control<QComboBox>(&again, "cbgroup")->currentText(), QStringLiteral("SHOP"));
    EXPECT_EQ(time(&again, "dtpSTDstart"), QTime(7, 30));
}

TEST_F(ScopeDialogs, OvernightModeTakesNightHoursAndLoadsNoGroup) {
    addHoursGroup(4, QStringLiteral("SHOP"));
    WriteSettingInt(setting::PrintPersons, 1);
    WriteSettingTime(setting::LastStdStart, QTime(20, 0));
    WriteSettingTime(setting::LastStdEnd, QTime(8, 0));
    OneSessionScopeDialog d(data.src(), op, nullptr, true);
    EXPECT_TRUE(checked(&d, "rbgroup"));
    EXPECT_EQ(time(&d, "dtpSTDstart"), QTime(20, 0));  // not the group's 07:30
    click(&d, "rballstaff");
    click(&d, "rbgroup");
    EXPECT_EQ(time(&d, "dtpSTDend"), QTime(8, 0));
    click(&d, "rbrange");
    control<QDateEdit>(&d, "dpto")->setDate(QDate(2026, 3, 1));  // not checked either
    ASSERT_TRUE(confirm(d));
    EXPECT_TRUE(op.shown().isEmpty());
    EXPECT_EQ(d.scope().hours.standard.start, 20 * kHourMs);
}

// Each refusal names what is wrong, and the focus is on that field when the message is gone.
TEST_F(ScopeDialogs, TwoSessionNamesAndFocusesTheFirstRefusedField) {
    TwoSessionScopeDialog d(data.src(), op);
    d.show();
    EXPECT_EQ(time(&d, "dtpSTDend2"), QTime(17, 30));
    EXPECT_EQ(time(&d, "dtpSATend2"), QTime(15, 30));
    const auto refused = [&](const char* focus, const QString& text) {
        op.clear();
        EXPECT_FALSE(confirm(d));
        EXPECT_EQ(d.focusWidget()->objectName(), QLatin1String(focus));
        EXPECT_EQ(op.shown(), QStringList{QStringLiteral("error: ") + text});
    };
    setTime(&d, "dtpSTDend1", 8, 0);
    refused("dtpSTDstart1", QStringLiteral("The end of session 1 is before its start."));
    setTime(&d, "dtpSTDend1", 9, 0);
    refused("dtpSTDstart1", QStringLiteral("The end of session 1 is the same as its start."));
    setTime(&d, "dtpSTDend1", 13, 0);
    click(&d, "cbsat2");  // Saturday session 2 without session 1
    refused("cbsat1", QStringLiteral("Saturday session 2 is checked without Saturday session 1."));
    setTime(&d, "dtpSTDstart2", 8, 0);  // session 2 before session 1 is found first
    refused("dtpSTDstart2", QStringLiteral("Session 2 starts before session 1."));
    setTime(&d, "dtpSTDstart2", 14, 0);
    click(&d, "cbsat1");
    setTime(&d, "dtpSATstart2", 13, 0);  // starts as Saturday session 1 ends
    refused("dtpSATstart2",
            QStringLiteral("Saturday session 2 must start after Saturday session 1 ends."));
    setTime(&d, "dtpSATstart2", 13, 30);
    ASSERT_TRUE(confirm(d));
    EXPECT_TRUE(ReadSettingBool(setting::LastSatEnable2, false));
    EXPECT_EQ(ReadSettingTime(setting::LastSatStart2, QTime()), QTime(13, 30));
}

// Whichever report comes next opens on the group and the range last confirmed: the late
// dialogs with that group checked and its hours, the others with the group in the list (they
// open on "All"); the one-day dialog stays on today.
TEST_F(ScopeDialogs, ReopenedDialogsShowTheGroupAndRangeLastConfirmed) {
    addHoursGroup(4, QStringLiteral("SHOP"));
    const auto dates = [](QWidget* d) {
        return std::pair{control<QDateEdit>(d, "dpfrom")->date(),
                         control<QDateEdit>(d, "dpto")->date()};
    };
    const std::pair february{QDate(2026, 2, 2), QDate(2026, 2, 27)};
    {
        TwoSessionScopeDialog d(data.src(), op);
        click(&d, "rbgroup");
        control<QComboBox>(&d, "cbgroup")->setCurrentText(QStringLiteral("SHOP"));
        click(&d, "rbrange");
        control<QDateEdit>(&d, "dpfrom")->setDate(february.first);
        control<QDateEdit>(&d, "dpto")->setDate(february.second);
        ASSERT_TRUE(confirm(d));
    }
    TwoSessionScopeDialog two(data.src(), op);
    EXPECT_TRUE(checked(&two, "rbgroup"));
    EXPECT_EQ(control<QComboBox>(&two, "cbgroup")->currentText(), QStringLiteral("SHOP"));
    EXPECT_EQ(time(&two, "dtpSTDstart1"), QTime(7, 30));
    EXPECT_EQ(time(&two, "dtpSATend2"), QTime(14, 0));
    EXPECT_TRUE(checked(&two, "rbrange"));
    EXPECT_EQ(dates(&two), february);

    OneSessionScopeDialog one(data.src(), op);
    EXPECT_EQ(control<QComboBox>(&one, "cbgroup")->currentText(), QStringLiteral("SHOP"));
    EXPECT_EQ(time(&one, "dtpSTDend"), QTime(16, 45));
    EXPECT_EQ(dates(&one), february);

    GeneralScopeDialog plain(data.src(), op);
    EXPECT_TRUE(checked(&plain, "rballstaff"));
    EXPECT_EQ(control<QComboBox>(&plain, "cbgroup")->currentText(), QStringLiteral("SHOP"));
    EXPECT_EQ(dates(&plain), february);
    click(&plain, "rbthisweek");  // neither "All" nor "This Week" forgets them
    ASSERT_TRUE(confirm(plain));

    WhoScopeDialog who(data.src(), op);
    EXPECT_EQ(control<QComboBox>(&who, "cbgroup")->currentText(), QStringLiteral("SHOP"));
    EXPECT_EQ(control<QDateEdit>(&who, "dpfrom")->date(), QDate(2026, 3, 11));

    ASSERT_TRUE(data.src().run(QStringLiteral("DELETE FROM gid WHERE id = 4")));
    TwoSessionScopeDialog gone(data.src(), op);  // the first group and its hours instead
    EXPECT_EQ(control<QComboBox>(&gone, "cbgroup")->currentText(), QStringLiteral("DEFAULT"));
    EXPECT_EQ(time(&gone, "dtpSTDstart1"), QTime(9, 0));
    click(&gone, "rbrange");
    EXPECT_EQ(dates(&gone), february);
}

}  // namespace
}  // namespace tallyport::test
