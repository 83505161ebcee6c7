#include "reports/ui/time_table_dialog.h"
#include "store/messages.h"
#include "support/dialog_fixture.h"
#include "support/store_fixture.h"

#include <QComboBox>
#include <QPushButton>
#include <QTableView>
#include <QTimeEdit>

namespace tallyport::test {
namespace {

class TimeTableDialogTest : public StoreFixture {
protected:
    void SetUp() override {
        ClearSettings();
        StoreFixture::SetUp();
    }
    static QStringList rows(TimeTableDialog& dlg) {
        QStringList out;
        auto* m = dlg.dbgList->model();
        for (int r = 0; r < m->rowCount(); ++r)
            out << m->data(m->index(r, 0)).toString() + QLatin1Char('-') +
                       m->data(m->index(r, 1)).toString();
        return out;
    }
    static void add(TimeTableDialog& dlg, QTime in, QTime out) {
        dlg.dtpFrom->setTime(in);
        dlg.dtpTo->setTime(out);
        QTest::mouseClick(dlg.btnAdd, Qt::LeftButton);
    }
};

TEST_F(TimeTableDialogTest, AddsRefusesAndKeepsThePickers) {
    addGroup(5, QStringLiteral("ALPHA"));
    TimeTableDialog dlg(data.src(), op);
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Time Table"));
    EXPECT_EQ(dlg.cbglist->currentText(), QStringLiteral("ALPHA"));  // first by name
    EXPECT_EQ(dlg.dtpFrom->time(), QTime(9, 0));
    EXPECT_EQ(dlg.dtpTo->time(), QTime(14, 0));

    add(dlg, QTime(13, 0), QTime(17, 0));
    add(dlg, QTime(8, 0), QTime(12, 0));
    EXPECT_EQ(rows(dlg), (QStringList{QStringLiteral("AM 08:00-PM 12:00"),
                                      QStringLiteral("PM 01:00-PM 05:00")}));
    add(dlg, QTime(12, 0), QTime(13, 0));
    add(dlg, QTime(22, 0), QTime(6, 0));
    EXPECT_EQ(op.shown(), (QStringList{QStringLiteral("error: ") + msg::TimeOverlapped,
                                       QStringLiteral("error: ") + msg::WrongTimeEntry}));
    EXPECT_EQ(dlg.dtpFrom->time(), QTime(22, 0));
    EXPECT_EQ(dlg.focusWidget(), dlg.dtpFrom);
    EXPECT_EQ(rows(dlg).size(), 2);

    // The same period in another group; each group shows its own rows.
    dlg.cbglist->setCurrentText(QStringLiteral("DEFAULT"));
    EXPECT_TRUE(rows(dlg).isEmpty());
    add(dlg, QTime(8, 0), QTime(12, 0));
    EXPECT_EQ(rows(dlg), QStringList{QStringLiteral("AM 08:00-PM 12:00")});
    dlg.cbglist->setCurrentText(QStringLiteral("ALPHA"));
    EXPECT_EQ(rows(dlg).size(), 2);
}

TEST_F(TimeTableDialogTest, ClickCopiesTheRowAndDeleteAsks) {
    TimeTableDialog dlg(data.src(), op);
    dlg.show();
    dlg.btnDeleteClick();
    EXPECT_EQ(op.shown(), QStringList{QStringLiteral("error: ") + msg::NoDataRecord});

    add(dlg, QTime(8, 0), QTime(12, 0));
    add(dlg, QTime(13, 0), QTime(17, 30));
    const QRect second = dlg.dbgList->visualRect(dlg.dbgList->model()->index(1, 0));
    QTest::mouseClick(dlg.dbgList->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(dlg.dtpFrom->time(), QTime(13, 0));
    EXPECT_EQ(dlg.dtpTo->time(), QTime(17, 30));

    op.clear();
    op.answerConfirm(false);
    dlg.btnDeleteClick();
    EXPECT_EQ(rows(dlg).size(), 2);
    op.answerConfirm(true);
    dlg.btnDeleteClick();
    EXPECT_EQ(rows(dlg), QStringList{QStringLiteral("AM 08:00-PM 12:00")});
    EXPECT_EQ(op.shown(), QStringList(2, QStringLiteral("confirm: ") + msg::ConfirmDelete));
}

TEST_F(TimeTableDialogTest, LayoutIsKept) {
    {
        TimeTableDialog dlg(data.src(), op);
        dlg.dbgList->setColumnWidth(1, 141);
        QTest::mouseClick(dlg.btnClose, Qt::LeftButton);
    }
    TimeTableDialog again(data.src(), op);
    EXPECT_EQ(again.dbgList->columnWidth(1), 141);
}

}  // namespace
}  // namespace tallyport::test
