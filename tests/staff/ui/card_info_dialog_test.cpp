#include "staff/ui/card_info_dialog.h"
#include "staff/ui/staff_rows_model.h"
#include "staff_ui_fixture.h"
#include "store/photo_codec.h"
#include "store/setting_names.h"

#include <QHeaderView>

namespace tallyport::test {
namespace {

class CardInfo : public StaffDialogFixture {
protected:
    std::unique_ptr<CardInfoDialog> open() {
        return std::make_unique<CardInfoDialog>(data.src(), op, [this](int card) {
            edited << card;
            return editAnswer ? editAnswer(card) : false;
        });
    }
    QString caption(CardInfoDialog& d) { return d.frame()->title(); }
    QList<int> edited;
    std::function<bool(int)> editAnswer;
};

TEST_F(CardInfo, EmptyListCountsNothingShowsABlankPhotoAndEditSaysNoRecord) {
    auto d = open();
    EXPECT_EQ(caption(*d), QStringLiteral("Used (0 cards)"));
    EXPECT_EQ(d->photo(), Picture(100, 100, 255, 255, 255));
    click(d.get(), "bedit");
    EXPECT_EQ(op.shown("error"), QStringList{"No record."});
    EXPECT_TRUE(edited.isEmpty());
}

TEST_F(CardInfo, PhotoFollowsTheSelectionAndAnEmptyPhotoShowsBlank) {
    addStaff(1, QStringLiteral("Amy"), 1);
    addStaff(2, QStringLiteral("Bo"), 1);
    setPhoto(1, encodeJpeg(Picture(24, 32, 0, 0, 200)).value());
    auto d = open();
    EXPECT_EQ(d->photo().width(), 24);
    QTest::keyClick(d->grid(), Qt::Key_Down);  // Bo: no photo
    EXPECT_EQ(currentCard(d->grid(), d->model()), 2);
    EXPECT_EQ(d->photo(), Picture(100, 100, 255, 255, 255));
}

TEST_F(CardInfo, DeletedHolderLeavesOneRowLessWithTheFirstSelected) {
    addStaff(1, QStringLiteral("Amy"), 1);
    addStaff(2, QStringLiteral("Bo"), 1);
    addStaff(3, QStringLiteral("Cy"), 1);
    editAnswer = [this](int card) {
        return bool(data.src().run(QStringLiteral("delete from staffs where CARDNO=?"), card));
    };
    auto d = open();
    selectGridRow(d->grid(), 2);
    d->grid()->doubleClicked(d->grid()->currentIndex());
    EXPECT_EQ(edited, QList<int>{3});
    EXPECT_EQ(column(d->grid(), 1), (QStringList{"Amy", "Bo"}));
    EXPECT_EQ(caption(*d), QStringLiteral("Used (2 cards)"));
    EXPECT_EQ(d->grid()->currentIndex().row(), 0);
}

TEST_F(CardInfo, EditKeepsTheEditedCardSelected) {
    addStaff(1, QStringLiteral("Amy"), 1);
    addStaff(2, QStringLiteral("Bo"), 1);
    editAnswer = [](int) { return true; };
    auto d = open();
    selectGridRow(d->grid(), 1);
    click(d.get(), "bedit");
    EXPECT_EQ(currentCard(d->grid(), d->model()), 2);
}

TEST_F(CardInfo, SortByWorkgroupIsKeptAndAGoneGroupListsEmpty) {
    addGroup(4, QStringLiteral("ANTS"));
    addStaff(1, QStringLiteral("Zed"), 1);
    addStaff(2, QStringLiteral("Amy"), 1);
    addStaff(3, QStringLiteral("Max"), 4);
    addStaff(4, QStringLiteral("Gus"), 9);
    {
        auto d = open();
        EXPECT_EQ(column(d->grid(), 1), (QStringList{"Amy", "Gus", "Max", "Zed"}));
        d->grid()->horizontalHeader()->sectionClicked(2);
        EXPECT_EQ(column(d->grid(), 1), (QStringList{"Gus", "Max", "Amy", "Zed"}));
        EXPECT_EQ(column(d->grid(), 2), (QStringList{"", "ANTS", "DEFAULT", "DEFAULT"}));
        d->resize(640, 410);
        click(d.get(), "Button2");
    }
    EXPECT_EQ(ReadSettingText(setting::CI_member, {}), QStringLiteral("DESCX"));
    auto again = open();
    EXPECT_EQ(column(again->grid(), 1), (QStringList{"Gus", "Max", "Amy", "Zed"}));
    EXPECT_EQ(again->size(), QSize(640, 410));
}

}  // namespace
}  // namespace tallyport::test
