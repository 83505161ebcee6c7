#include "staff/groups.h"
#include "store/messages.h"
#include "support/store_fixture.h"

namespace tallyport {
namespace {

using test::StoreFixture;

class GroupsTest : public StoreFixture {
protected:
    Database& src() { return data.src(); }
    int count() {
        return int(src().scalarInt(QStringLiteral("SELECT count(*) FROM gid"))->value());
    }
};

QTime hm(int h, int m = 0) {
    return QTime(h, m);
}

TEST_F(GroupsTest, NameAndIdLookups) {
    addGroup(5, QStringLiteral("NIGHT"));
    EXPECT_EQ(GroupName(src(), 1), QStringLiteral("DEFAULT"));
    EXPECT_EQ(GroupName(src(), 5), QStringLiteral("NIGHT"));
    EXPECT_EQ(GroupName(src(), 6), QString());
    EXPECT_EQ(GroupId(src(), QStringLiteral("NIGHT")), 5);
    EXPECT_EQ(GroupId(src(), QStringLiteral("night")), 5);
    EXPECT_EQ(GroupId(src(), QStringLiteral("DAY")), 0);
    EXPECT_EQ(GroupId(src(), QString()), 0);
}

TEST_F(GroupsTest, FillGroupComboSelects) {
    addGroup(5, QStringLiteral("NIGHT"));
    addGroup(6, QStringLiteral("ALPHA"));
    const QStringList names{QStringLiteral("ALPHA"), QStringLiteral("DEFAULT"),
                            QStringLiteral("NIGHT")};
    struct Case {
        int id;
        int index;
    };
    for (const Case c :
         {Case{0, 0}, Case{1, 1}, Case{5, 2}, Case{6, 0}, Case{9, -1}, Case{-1, -1}}) {
        auto choice = FillGroupCombo(src(), c.id);
        ASSERT_TRUE(choice);
        EXPECT_EQ(choice->names, names);
        EXPECT_EQ(choice->index, c.index) << "id " << c.id;
    }
    // A deleted group's id selects nothing, and its name reads empty.
    op.answerConfirm(true);
    ASSERT_TRUE(deleteGroup(src(), op, 5));
    EXPECT_EQ(FillGroupCombo(src(), 5)->index, -1);
    EXPECT_EQ(GroupName(src(), 5), QString());
}

TEST_F(GroupsTest, FillGroupComboOnEmptyTable) {
    ASSERT_TRUE(src().run(QStringLiteral("DELETE FROM gid")));
    auto choice = FillGroupCombo(src(), 0);
    ASSERT_TRUE(choice);
    EXPECT_TRUE(choice->names.isEmpty());
    EXPECT_EQ(choice->index, -1);
}

struct CheckCase {
    const char* what;
    void (*change)(WorkGroup&);
    std::optional<GroupField> field;
};

TEST_F(GroupsTest, EditorChecksInOrder) {
    const CheckCase cases[] = {
        {"defaults", [](WorkGroup&) {}, std::nullopt},
        {"empty name", [](WorkGroup& g) { g.name = QStringLiteral("   "); }, GroupField::Name},
        {"name too long", [](WorkGroup& g) { g.name = QString(21, QLatin1Char('A')); },
         GroupField::Name},
        {"09:00-09:00", [](WorkGroup& g) { g.wdTo1 = hm(9); }, GroupField::WdStart1},
        {"second 17-14", [](WorkGroup& g) { g.wdTo2 = hm(14); }, GroupField::WdStart2},
        {"weekday 9-13 then 12-17 accepted", [](WorkGroup& g) { g.wdFrom2 = hm(12); },
         std::nullopt},
        {"second starts before first", [](WorkGroup& g) { g.wdFrom2 = hm(8, 59); },
         GroupField::WdStart2},
        {"both sessions fail: first reported",
         [](WorkGroup& g) {
             g.wdTo1 = hm(8);
             g.wdTo2 = hm(8);
         },
         GroupField::WdStart1},
        {"sat1 empty",
         [](WorkGroup& g) {
             g.satEnable1 = true;
             g.satTo1 = hm(9);
         },
         GroupField::SatStart1},
        {"sat1 unchecked ignores its times", [](WorkGroup& g) { g.satTo1 = hm(9); }, std::nullopt},
        {"sat2 without sat1", [](WorkGroup& g) { g.satEnable2 = true; }, GroupField::Sat1Check},
        {"sat 9-13 then 12-17 refused",
         [](WorkGroup& g) {
             g.satEnable1 = g.satEnable2 = true;
             g.satFrom2 = hm(12);
         },
         GroupField::SatStart2},
        {"sat 9-13 then 13-17 refused (must start after)",
         [](WorkGroup& g) {
             g.satEnable1 = g.satEnable2 = true;
             g.satFrom2 = hm(13);
         },
         GroupField::SatStart2},
        {"sat 9-13 then 13:01-17 accepted",
         [](WorkGroup& g) {
             g.satEnable1 = g.satEnable2 = true;
             g.satFrom2 = hm(13, 1);
         },
         std::nullopt},
        {"sat2 empty",
         [](WorkGroup& g) {
             g.satEnable1 = g.satEnable2 = true;
             g.satTo2 = hm(14);
         },
         GroupField::SatStart2},
    };
    for (const auto& c : cases) {
        WorkGroup g;
        g.name = QStringLiteral("NEW");
        c.change(g);
        op.clear();
        EXPECT_EQ(checkGroup(src(), op, g), c.field) << c.what;
        const QStringList expected =
            c.field ? QStringList{QStringLiteral("error: ") + msg::InvalidInput} : QStringList{};
        EXPECT_EQ(op.shown(), expected) << c.what;
    }
}

TEST_F(GroupsTest, NameIsTrimmedAndUpperCased) {
    WorkGroup g;
    g.name = QStringLiteral("  late shift ");
    EXPECT_EQ(checkGroup(src(), op, g), std::nullopt);
    EXPECT_EQ(g.name, QStringLiteral("LATE SHIFT"));
    auto id = SaveGroup(src(), g);
    ASSERT_TRUE(id);
    EXPECT_EQ(GroupName(src(), *id), QStringLiteral("LATE SHIFT"));
}

// The sessions are checked before the question: nobody is asked to overwrite a group with
// times that are refused anyway.
TEST_F(GroupsTest, ExistingNameAsksBeforeOverwritingOnceTheTimesAreRight) {
    WorkGroup g;
    g.name = QStringLiteral("default");
    g.wdTo1 = hm(9);
    EXPECT_EQ(checkGroup(src(), op, g), GroupField::WdStart1);
    EXPECT_EQ(op.shown(), QStringList{QStringLiteral("error: ") + msg::InvalidInput});

    g.wdTo1 = hm(12);
    op.clear();
    op.answerConfirm(false);
    EXPECT_EQ(checkGroup(src(), op, g), GroupField::Name);
    EXPECT_EQ(op.shown(), QStringList{QStringLiteral("confirm: ") + msg::ConfirmOverwrite});

    op.clear();
    op.answerConfirm(true);
    EXPECT_EQ(checkGroup(src(), op, g), std::nullopt);
    g.otMin = 30;
    EXPECT_EQ(SaveGroup(src(), g), 1);
    EXPECT_EQ(count(), 1);
    EXPECT_EQ(loadWorkGroup(src(), 1).value()->wdTo1, hm(12));
    EXPECT_EQ(loadWorkGroup(src(), 1).value()->otMin, 30);
}

TEST_F(GroupsTest, SaveStoresEveryField) {
    WorkGroup g;
    g.name = QStringLiteral("WEEKEND");
    g.wdFrom1 = hm(7, 30);
    g.wdTo1 = hm(11, 45);
    g.wdFrom2 = hm(12, 15);
    g.wdTo2 = hm(16);
    g.satEnable1 = true;
    g.satFrom1 = hm(8);
    g.satTo1 = hm(10);
    g.satEnable2 = true;
    g.satFrom2 = hm(10, 30);
    g.satTo2 = hm(12);
    g.otMin = 120;
    g.otMulti = 60;
    auto id = SaveGroup(src(), g);
    ASSERT_TRUE(id);
    auto back = loadWorkGroup(src(), *id).value();
    ASSERT_TRUE(back);
    g.id = *id;
    EXPECT_EQ(std::tie(back->name, back->wdFrom1, back->wdTo1, back->wdFrom2, back->wdTo2),
              std::tie(g.name, g.wdFrom1, g.wdTo1, g.wdFrom2, g.wdTo2));
    EXPECT_EQ(std::tie(back->satEnable1, back->satFrom1, back->satTo1, back->satEnable2,
                       back->satFrom2, back->satTo2, back->otMin, back->otMulti),
              std::tie(g.satEnable1, g.satFrom1, g.satTo1, g.satEnable2, g.satFrom2, g.satTo2,
                       g.otMin, g.otMulti));
}

// Groups are found by name: renaming in the editor adds a group and keeps the edited one.
TEST_F(GroupsTest, EditingToANewNameAddsAGroup) {
    WorkGroup g = *loadWorkGroup(src(), 1).value();
    g.name = QStringLiteral("RENAMED");
    g.otMin = 45;
    EXPECT_EQ(checkGroup(src(), op, g), std::nullopt);
    auto id = SaveGroup(src(), g);
    ASSERT_TRUE(id);
    EXPECT_NE(*id, 1);
    EXPECT_EQ(count(), 2);
    EXPECT_EQ(GroupName(src(), 1), QStringLiteral("DEFAULT"));
    EXPECT_EQ(loadWorkGroup(src(), 1).value()->otMin, 15);
    EXPECT_EQ(loadWorkGroup(src(), *id).value()->otMin, 45);
}

TEST_F(GroupsTest, DeleteRules) {
    addGroup(5, QStringLiteral("NIGHT"));
    addStaff(100, QStringLiteral("ANN"), 5);

    EXPECT_FALSE(deleteGroup(src(), op, 1));
    EXPECT_FALSE(deleteGroup(src(), op, 0));
    op.answerConfirm(false);
    EXPECT_FALSE(deleteGroup(src(), op, 5));
    EXPECT_EQ(op.shown(),
              (QStringList{QStringLiteral("information: ") + msg::CannotDeleteDefaultGroup,
                           QStringLiteral("error: ") + msg::NoDataRecord,
                           QStringLiteral("confirm: ") + msg::ConfirmDelete}));
    EXPECT_EQ(count(), 2);

    op.answerConfirm(true);
    EXPECT_TRUE(deleteGroup(src(), op, 5));
    EXPECT_EQ(count(), 1);
    // The holder keeps the number of the group that is gone.
    EXPECT_EQ(
        src().scalarInt(QStringLiteral("SELECT WORKGRP FROM staffs WHERE CARDNO = 100"))->value(),
        5);
}

}  // namespace
}  // namespace tallyport

namespace tallyport {
namespace {

// A store failure is reported, not taken for success, and leaves the table as it was.
TEST_F(GroupsTest, StoreFailureIsReported) {
    WorkGroup g;
    g.name = QString(kGroupNameLength + 1, QLatin1Char('X'));  // past the stored column's limit
    auto id = SaveGroup(src(), g);
    ASSERT_FALSE(id);
    EXPECT_EQ(id.error().text, msg::UpdateFailed);
    EXPECT_EQ(count(), 1);
}

}  // namespace
}  // namespace tallyport
