#include "store/ui/erase_records_dialog.h"
#include "support/dialog_fixture.h"

#include <QDateEdit>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

namespace tallyport::test {
namespace {

TEST(EraseRecordsDialog, AsksForAllRecordsOrADay) {
    EraseRecordsDialog dialog;
    dialog.setFrom(QDateTime(QDate(2024, 3, 5), QTime(17, 45)));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Erase Attendance Records"));
    ASSERT_NE(dialog.findChild<QGroupBox*>(), nullptr);
    EXPECT_EQ(dialog.findChild<QGroupBox*>()->title(), QStringLiteral("Scope"));
    auto* all = control<QRadioButton>(&dialog, "rball");
    auto* before = control<QRadioButton>(&dialog, "rbdate");
    auto* from = control<QDateEdit>(&dialog, "dpfrom");
    ASSERT_TRUE(all && before && from);
    EXPECT_EQ(all->text(), QStringLiteral("All Attendance Records"));
    EXPECT_EQ(all->toolTip(), QStringLiteral("Erase all attendance records."));
    EXPECT_EQ(before->text(), QStringLiteral("Before the date"));
    EXPECT_EQ(before->toolTip(), QStringLiteral("Erase the attendance records before the date."));
    EXPECT_EQ(from->text(), QStringLiteral("March 5, 2024 Tuesday"));
    EXPECT_TRUE(all->isChecked());
    EXPECT_TRUE(dialog.scope().all);
    // Changing the date means that date.
    from->setDate(QDate(2024, 2, 1));
    EXPECT_TRUE(before->isChecked());
    EXPECT_FALSE(dialog.scope().all);
    EXPECT_EQ(dialog.scope().before, QDate(2024, 2, 1));
    // So does a click on the picker.
    all->setChecked(true);
    QTest::mouseClick(from, Qt::LeftButton);
    EXPECT_TRUE(before->isChecked());
}

TEST(EraseRecordsDialog, ConfirmAndCancel) {
    for (const auto& [button, result] :
         {std::pair{"Button1", QDialog::Accepted}, std::pair{"Button2", QDialog::Rejected}}) {
        EraseRecordsDialog dialog;
        EXPECT_EQ(control<QPushButton>(&dialog, button)->text(),
                  QString::fromLatin1(result == QDialog::Accepted ? "Confirm" : "Cancel"));
        OnNextModal([button = button](QWidget* w) { click(w, button); });
        EXPECT_EQ(dialog.exec(), result) << button;
    }
    ExpectNoModalAwaited();
}

}  // namespace
}  // namespace tallyport::test
