#include "staff/card_editor.h"
#include "store/messages.h"
#include "store/photo_codec.h"
#include "support/store_fixture.h"

#include <algorithm>

namespace tallyport::test {
namespace {

class CardEditor : public StoreFixture {
protected:
    // An editor that answers OK after `change`, or Cancel when change is empty.
    bool edit(int card, std::function<void(CardEdit&)> change) {
        return EditCard(data.src(), op, card, [&](CardEdit& e) {
            shownEdit = e;
            if (!change) return false;
            change(e);
            return true;
        });
    }
    qint64 intOf(const QString& sql, int card) {
        return data.src().scalarInt(sql, card).value().value_or(-1);
    }
    qint64 rowCount(int card) {
        return intOf(QStringLiteral("select count(*) from staffs where CARDNO=?"), card);
    }
    QString nameOf(int card) {
        auto st = data.src().prepare(QStringLiteral("select NAME from staffs where CARDNO=?"));
        st->bind(1, card);
        return st->step().value_or(false) ? st->text(0) : QStringLiteral("<none>");
    }
    CardEdit shownEdit;
};

TEST_F(CardEditor, NameChecksOfConfirm) {
    addStaff(1, QStringLiteral("Bob"), 1);
    struct Case {
        const char* typed;
        bool registered;
        const char* expected;  // the stored name, or the refusal text
    } cases[] = {
        {"  Ann  ", false, "Ann"},
        {"", false, "Incorrect name."},
        {"   ", false, "Incorrect name."},
        {"Bob", false, "Name has been used."},
        {" bob", false, "Name has been used."},
        {"Bob", true, "Bob"},
        {"ABCDEFGHIJKLMNOP", false, "ABCDEFGHIJKLMNOP"},
        {"ABCDEFGHIJKLMNOPQ", false, "Name too long: a name holds at most 16 characters."},
    };
    for (const Case& c : cases) {
        auto r = checkCardName(data.src(), QString::fromUtf8(c.typed), c.registered);
        EXPECT_EQ(r ? *r : r.error().text, QString::fromUtf8(c.expected)) << c.typed;
    }
}

TEST_F(CardEditor, RegisteredCardLoadsItsRowAndKeepsWhatTheEditorDoesNotShow) {
    addGroup(4, QStringLiteral("NIGHT"));
    ASSERT_TRUE(data.src().run(
        QStringLiteral("insert into staffs(CARDNO,NAME,WORKGRP,TIMEGRP,ACCESSGRP,PICKED,COM3,MEMO) "
                       "values (77,'Eve',4,5,6,1,1,'a\nb')")));
    ASSERT_TRUE(edit(77, [](CardEdit& e) {
        e.com[0] = true;
        e.memo = QStringLiteral("new");
    }));
    EXPECT_TRUE(shownEdit.registered);
    EXPECT_EQ(shownEdit.name, QStringLiteral("Eve"));
    EXPECT_EQ(shownEdit.groupName, QStringLiteral("NIGHT"));
    EXPECT_TRUE(shownEdit.com[2]);
    EXPECT_EQ(shownEdit.memo, QStringLiteral("a\nb"));
    auto st = data.src().prepare(QStringLiteral(
        "select NAME,WORKGRP,TIMEGRP,ACCESSGRP,PICKED,COM1,COM3,MEMO from staffs where CARDNO=77"));
    ASSERT_TRUE(st->step().value_or(false));
    EXPECT_EQ(st->text(0), QStringLiteral("Eve"));
    EXPECT_EQ(st->integer(1), 4);
    EXPECT_EQ(st->integer(2), 5);
    EXPECT_EQ(st->integer(3), 6);
    EXPECT_EQ(st->integer(4), 1);
    EXPECT_EQ(st->integer(5), 1);
    EXPECT_EQ(st->integer(6), 1);
    EXPECT_EQ(st->text(7), QStringLiteral("new"));
}

TEST_F(CardEditor, NewCardStartsInTheFirstGroupOffThePickListWithABlankCardSizePhoto) {
    ASSERT_TRUE(edit(500, [](CardEdit& e) { e.name = QStringLiteral("Ann"); }));
    EXPECT_FALSE(shownEdit.registered);
    EXPECT_EQ(shownEdit.groupName, QStringLiteral("DEFAULT"));
    EXPECT_EQ(intOf(QStringLiteral("select WORKGRP from staffs where CARDNO=?"), 500), 1);
    EXPECT_EQ(intOf(QStringLiteral("select PICKED from staffs where CARDNO=?"), 500), 0);
    auto st = data.src().prepare(QStringLiteral("select PHOTO from staffs where CARDNO=500"));
    ASSERT_TRUE(st->step().value_or(false));
    auto photo = decodeJpeg(st->blob(0));
    ASSERT_TRUE(photo);
    EXPECT_EQ(photo->width(), 240);
    EXPECT_EQ(photo->height(), 320);
    const auto [lo, hi] = std::minmax_element(photo->data(), photo->data() + photo->byteCount());
    EXPECT_GE(*lo, 250);  // white, within what JPEG coding moves
    EXPECT_EQ(*hi, 255);
}

TEST_F(CardEditor, CardOfADeletedGroupIsStoredWithGroupZeroUnlessOneIsChosen) {
    addGroup(4, QStringLiteral("NIGHT"));
    addStaff(8, QStringLiteral("Gus"), 9);  // group 9 was deleted
    addStaff(10, QStringLiteral("Ida"), 9);
    ASSERT_TRUE(edit(8, [](CardEdit&) {}));
    EXPECT_TRUE(shownEdit.groupName.isEmpty());
    EXPECT_EQ(intOf(QStringLiteral("select WORKGRP from staffs where CARDNO=?"), 8), 0);
    ASSERT_TRUE(edit(10, [](CardEdit& e) { e.groupName = QStringLiteral("night"); }));
    EXPECT_EQ(intOf(QStringLiteral("select WORKGRP from staffs where CARDNO=?"), 10), 4);
}

TEST_F(CardEditor, CancelStoresNothingAndDeleteRemovesOnlyAnExistingRow) {
    addStaff(3, QStringLiteral("Cy"), 1);
    EXPECT_FALSE(edit(3, {}));
    EXPECT_FALSE(edit(4, {}));
    EXPECT_EQ(rowCount(4), 0);
    EXPECT_FALSE(edit(4, [](CardEdit& e) { e.name.clear(); }));  // Delete of an unknown card
    EXPECT_TRUE(edit(3, [](CardEdit& e) { e.name.clear(); }));
    EXPECT_EQ(rowCount(3), 0);
    EXPECT_TRUE(op.shown().isEmpty());
}

TEST_F(CardEditor, FailedStoreIsReportedAndLeavesTheRowAsItWas) {
    addStaff(3, QStringLiteral("Cy"), 1);
    ASSERT_TRUE(data.src().exec(QStringLiteral(
        "create trigger refuse before update on staffs begin select raise(abort,'no'); end")));
    EXPECT_FALSE(edit(3, [](CardEdit& e) { e.memo = QStringLiteral("x"); }));
    EXPECT_TRUE(op.saw(msg::UpdateFailed));
    EXPECT_EQ(nameOf(3), QStringLiteral("Cy"));
}

TEST_F(CardEditor, OverlongNameIsRefusedNeverCut) {
    op.clear();
    EXPECT_FALSE(edit(6, [](CardEdit& e) { e.name = QStringLiteral("ABCDEFGHIJKLMNOPQ"); }));
    EXPECT_TRUE(op.saw(msg::UpdateFailed));
    EXPECT_EQ(rowCount(6), 0);
    CardEdit overlong;
    overlong.cardNo = 6;
    overlong.name = QStringLiteral("ABCDEFGHIJKLMNOPQ");
    auto r = saveCardEdit(data.src(), overlong);
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().text, msg::NameTooLong);
}

}  // namespace
}  // namespace tallyport::test
