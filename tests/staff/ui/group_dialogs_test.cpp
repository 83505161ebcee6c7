#include "staff/ui/group_editor_dialog.h"
#include "staff/ui/group_list_dialog.h"
#include "store/messages.h"
#include "support/dialog_fixture.h"
#include "support/store_fixture.h"
#include "ui/grid_pictures.h"
#include "ui/group_combo.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTimeEdit>

namespace tallyport::test {
namespace {

class GroupDialogs : public StoreFixture {
protected:
    void SetUp() override {
        ClearSettings();
        StoreFixture::SetUp();
    }
    Database& src() { return data.src(); }
    GroupEditorDialog::Check check() {
        return [this](WorkGroup& g) { return checkGroup(src(), op, g); };
    }
    static QString cell(GroupListDialog& list, int row, int column) {
        auto* m = list.dbg_list->model();
        return m->data(m->index(row, column)).toString();
    }
};

void clickOk(QWidget* dlg) {
    QTest::mouseClick(dlg->findChild<QPushButton*>(QStringLiteral("OKBtn")), Qt::LeftButton);
}

TEST_F(GroupDialogs, EditorStartsWithDefaultsAndTypesUpperCase) {
    GroupEditorDialog dlg(check());
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Work Group Information"));
    EXPECT_EQ(dlg.dtpSTDstart1->time(), QTime(9, 0));
    EXPECT_EQ(dlg.dtpSTDend2->time(), QTime(17, 0));
    EXPECT_FALSE(dlg.cbsat1->isChecked());
    EXPECT_EQ(dlg.seOTmin->value(), 15);
    EXPECT_EQ(dlg.seOTmul->maximum(), 60);
    QTest::keyClicks(dlg.edname, QStringLiteral(" night shift "));
    EXPECT_EQ(dlg.edname->text(), QStringLiteral(" NIGHT SHIFT "));
    clickOk(&dlg);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.edname->text(), QStringLiteral("NIGHT SHIFT"));
    EXPECT_EQ(dlg.group().name, QStringLiteral("NIGHT SHIFT"));
    EXPECT_TRUE(op.shown().isEmpty());
}

TEST_F(GroupDialogs, RefusedConfirmStaysOpenWithFocusOnTheControl) {
    GroupEditorDialog dlg(check());
    dlg.show();
    dlg.edname->setText(QStringLiteral("A"));
    dlg.dtpSTDend1->setTime(QTime(9, 0));
    clickOk(&dlg);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.focusWidget(), dlg.dtpSTDstart1);

    dlg.dtpSTDend1->setTime(QTime(13, 0));
    dlg.cbsat2->setChecked(true);
    clickOk(&dlg);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.focusWidget(), dlg.cbsat1);
    EXPECT_EQ(op.shown(), QStringList(2, QStringLiteral("error: ") + msg::InvalidInput));

    QTest::mouseClick(dlg.findChild<QPushButton*>(QStringLiteral("CancelBtn")), Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
}

TEST_F(GroupDialogs, ListShowsTimesAndChecks) {
    GroupListDialog list(src(), op);
    EXPECT_EQ(list.windowTitle(), QStringLiteral("Group List"));
    ASSERT_EQ(list.dbg_list->model()->rowCount(), 1);
    EXPECT_EQ(cell(list, 0, 0), QStringLiteral("DEFAULT"));
    EXPECT_EQ(cell(list, 0, 1), QStringLiteral("AM09:00"));
    EXPECT_EQ(cell(list, 0, 4), QStringLiteral("PM05:00"));
    EXPECT_EQ(cell(list, 0, 5), QString());  // a check picture, no text
    EXPECT_EQ(list.dbg_list->model()->data(list.dbg_list->model()->index(0, 5), Qt::EditRole),
              QVariant(false));
    EXPECT_EQ(cell(list, 0, 11), QStringLiteral("15"));
    QStringList headers;
    for (int c = 0; c < list.dbg_list->model()->columnCount(); ++c)
        headers << list.dbg_list->model()->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(headers,
              (QStringList{"Workgroup", "From 1", "To 1", "From 2", "To 2", "Sat1", "Sat From 1",
                           "Sat To 1", "Sat2", "Sat From 2", "Sat To 2", "OT Min.", "OT Multi."}));
}

// A yes/no cell as the grid draws it is the check picture on the cell's ground and nothing
// else: no check box of the platform, no text. The selected row's ground is its own colour.
TEST_F(GroupDialogs, YesNoCellsAreDrawnAsCheckPicturesOnly) {
    addGroup(5, QStringLiteral("NIGHT"));
    ASSERT_TRUE(src().run(QStringLiteral("UPDATE gid SET sat_enable_1 = 1 WHERE id = 5")));
    GroupListDialog list(src(), op);
    list.show();
    list.dbg_list->selectRow(0);
    list.dbg_list->scrollTo(list.dbg_list->model()->index(0, 5));
    const QImage shown = list.dbg_list->viewport()->grab().toImage();
    QRgb grounds[2];
    for (int row : {0, 1}) {
        SCOPED_TRACE(row);
        const QRect cellRect = list.dbg_list->visualRect(list.dbg_list->model()->index(row, 5));
        ASSERT_GT(cellRect.width(), 24);
        const QRgb ground = shown.pixel(cellRect.right() - 2, cellRect.bottom() - 2);
        grounds[row] = ground;
        QImage expected(cellRect.size() - QSize(1, 1), QImage::Format_RGB32);  // less the lines
        {
            QPainter p(&expected);
            p.setBrush(QColor(ground));
            checkCell(p, expected.rect(), row == 1);
        }
        const QImage drawn = shown.copy(QRect(cellRect.topLeft(), expected.size()))
                                 .convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(drawn, expected);
    }
    EXPECT_NE(grounds[0], grounds[1]);
}

TEST_F(GroupDialogs, NewThroughTheEditorAddsASelectedRow) {
    GroupListDialog list(src(), op);
    OnNextModal([](QWidget* w) {
        auto* dlg = qobject_cast<GroupEditorDialog*>(w);
        ASSERT_NE(dlg, nullptr);
        QTest::keyClicks(dlg->edname, QStringLiteral("late"));
        dlg->cbsat1->setChecked(true);
        dlg->dtpSATend1->setTime(QTime(12, 30));
        clickOk(dlg);
    });
    list.btnnewClick();
    ASSERT_EQ(list.dbg_list->model()->rowCount(), 2);
    EXPECT_EQ(cell(list, 1, 0), QStringLiteral("LATE"));
    EXPECT_EQ(cell(list, 1, 7), QStringLiteral("PM12:30"));
    auto* m = list.dbg_list->model();
    EXPECT_EQ(m->data(m->index(1, 5), Qt::EditRole), QVariant(true));
    EXPECT_EQ(list.currentId(), GroupId(src(), QStringLiteral("LATE")));
}

TEST_F(GroupDialogs, EditOverwritesAfterTheQuestion) {
    GroupListDialog list(src(), op);
    op.answerConfirm(true);
    OnNextModal([](QWidget* w) {
        auto* dlg = qobject_cast<GroupEditorDialog*>(w);
        ASSERT_NE(dlg, nullptr);
        EXPECT_EQ(dlg->edname->text(), QStringLiteral("DEFAULT"));
        dlg->seOTmin->setValue(30);
        clickOk(dlg);
    });
    list.btneditClick();
    EXPECT_EQ(op.shown(), QStringList{QStringLiteral("confirm: ") + msg::ConfirmOverwrite});
    EXPECT_EQ(list.dbg_list->model()->rowCount(), 1);
    EXPECT_EQ(cell(list, 0, 11), QStringLiteral("30"));
}

TEST_F(GroupDialogs, DeleteRulesAndEmptyList) {
    addGroup(5, QStringLiteral("NIGHT"));
    GroupListDialog list(src(), op);
    list.dbg_list->selectRow(0);
    list.btndeleteClick();
    EXPECT_EQ(op.shown(),
              QStringList{QStringLiteral("information: ") + msg::CannotDeleteDefaultGroup});
    list.dbg_list->selectRow(1);
    op.answerConfirm(false);
    list.btndeleteClick();
    EXPECT_EQ(list.dbg_list->model()->rowCount(), 2);
    op.answerConfirm(true);
    list.btndeleteClick();
    EXPECT_EQ(list.dbg_list->model()->rowCount(), 1);
    EXPECT_EQ(GroupId(src(), QStringLiteral("NIGHT")), 0);

    ASSERT_TRUE(src().run(QStringLiteral("DELETE FROM gid")));
    GroupListDialog empty(src(), op);
    op.clear();
    empty.btneditClick();
    empty.btndeleteClick();
    EXPECT_EQ(op.shown(), QStringList(2, QStringLiteral("error: ") + msg::NoDataRecord));
}

TEST_F(GroupDialogs, LayoutIsKeptAcrossOpenings) {
    {
        GroupListDialog list(src(), op);
        list.dbg_list->setColumnWidth(0, 123);
        list.Button1Click();
    }
    GroupListDialog again(src(), op);
    EXPECT_EQ(again.dbg_list->columnWidth(0), 123);
}

TEST_F(GroupDialogs, ComboIsFilledAndSelected) {
    addGroup(5, QStringLiteral("ALPHA"));
    QComboBox box;
    box.addItem(QStringLiteral("stale"));
    FillGroupCombo(&box, src(), 0);
    EXPECT_EQ(box.count(), 2);
    EXPECT_EQ(box.currentText(), QStringLiteral("ALPHA"));
    FillGroupCombo(&box, src(), 1);
    EXPECT_EQ(box.currentText(), QStringLiteral("DEFAULT"));
    FillGroupCombo(&box, src(), 77);
    EXPECT_EQ(box.currentIndex(), -1);
}

}  // namespace
}  // namespace tallyport::test
