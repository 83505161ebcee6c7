#include "staff/pick_list.h"
#include "staff/staff_rows.h"
#include "store/messages.h"
#include "store/setting_names.h"
#include "store/settings.h"
#include "support/store_fixture.h"

namespace tallyport::test {
namespace {

class PickList : public StoreFixture {
protected:
    void pick(int card) {
        ASSERT_TRUE(
            data.src().run(QStringLiteral("update staffs set PICKED=1 where CARDNO=?"), card));
    }
    QStringList names(const std::vector<StaffRow>& rows) {
        QStringList out;
        for (const StaffRow& r : rows) out << r.name + QLatin1Char('/') + r.workGroup;
        return out;
    }
    QStringList names(std::optional<Statement>& st) {
        QStringList out;
        while (st && st->step().value_or(false))
            out << st->text(st->columnIndex(QStringLiteral("NAME")));
        return out;
    }
};

TEST_F(PickList, ScopeQueriesBindTheGroupAndChooseTheirRows) {
    addGroup(4, QStringLiteral("NIGHT"));
    addStaff(1, QStringLiteral("Zed"), 4);
    addStaff(2, QStringLiteral("Amy"), 4);
    addStaff(3, QStringLiteral("Bo"), 1);
    pick(3);
    pick(1);

    const StaffScopeQuery q = staffScopeLines(StaffScope::Group, 4);
    EXPECT_EQ(q.lines,
              (QStringList{"select *,descx from staffs", "left join gid on staffs.workgrp=gid.id",
                           "where WORKGRP=?", "order by NAME"}));
    EXPECT_EQ(q.groupId, 4);

    auto group = SelectStaffByScope(data.src(), op, StaffScope::Group, 4);
    EXPECT_EQ(names(group), (QStringList{"Amy", "Zed"}));
    auto all = SelectStaffByScope(data.src(), op, StaffScope::All, 0);
    EXPECT_EQ(names(all), (QStringList{"Amy", "Bo", "Zed"}));
    auto picked = SelectStaffByScope(data.src(), op, StaffScope::PickList, 0);
    QStringList pickedNames = names(picked);
    pickedNames.sort();
    EXPECT_EQ(pickedNames, (QStringList{"Bo", "Zed"}));
    addStaff(5, QStringLiteral("Cy"), 0);  // no group: still nobody for a group that is none
    auto none = SelectStaffByScope(data.src(), op, StaffScope::Group, 0);
    EXPECT_TRUE(names(none).isEmpty());
    EXPECT_TRUE(op.shown().isEmpty());
}

TEST_F(PickList, ScopeThatCannotOpenSaysDatabaseError) {
    ASSERT_TRUE(data.src().exec(QStringLiteral("drop table gid")));
    EXPECT_FALSE(SelectStaffByScope(data.src(), op, StaffScope::All, 0));
    EXPECT_TRUE(op.saw(msg::DatabaseError));
}

TEST_F(PickList, RemoveAllOfFiftyEmptiesTheListAndStopsWhenAMarkCannotBeStored) {
    for (int card = 1; card <= 50; ++card) {
        addStaff(card, QStringLiteral("P%1").arg(card, 2, 10, QLatin1Char('0')), 1);
        pick(card);
    }
    ASSERT_TRUE(data.src().exec(
        QStringLiteral("create trigger keep before update of PICKED on staffs when old.CARDNO=17 "
                       "begin select raise(abort,'locked'); end")));
    EXPECT_FALSE(removeAllPicked(data.src()));  // answers instead of retrying card 17 forever
    EXPECT_EQ(loadStaffRows(data.src(), QStringLiteral("NAME"), true)->size(), 50u);

    ASSERT_TRUE(data.src().exec(QStringLiteral("drop trigger keep")));
    ASSERT_TRUE(removeAllPicked(data.src()));
    EXPECT_TRUE(loadStaffRows(data.src(), QStringLiteral("NAME"), true)->empty());
    EXPECT_EQ(loadStaffRows(data.src(), QStringLiteral("NAME"), false)->size(), 50u);
}

TEST_F(PickList, MarksOneCardAndRefusesAnUnknownOne) {
    addStaff(5, QStringLiteral("Al"), 1);
    ASSERT_TRUE(storePicked(data.src(), 5, true));
    EXPECT_EQ(names(*loadStaffRows(data.src(), QStringLiteral("NAME"), true)),
              QStringList{"Al/DEFAULT"});
    EXPECT_FALSE(storePicked(data.src(), 6, true));
}

TEST_F(PickList, ListsSortByTheChosenColumnThenNameAndShowGoneGroupsEmpty) {
    addGroup(4, QStringLiteral("NIGHT"));
    addStaff(1, QStringLiteral("Cid"), 4);
    addStaff(2, QStringLiteral("Abe"), 1);
    addStaff(3, QStringLiteral("Bea"), 4);
    addStaff(4, QStringLiteral("Dot"), 9);  // its group was deleted
    EXPECT_EQ(names(*loadStaffRows(data.src(), sortColumnForTitle("WORKGROUP"))),
              (QStringList{"Dot/", "Abe/DEFAULT", "Bea/NIGHT", "Cid/NIGHT"}));
    EXPECT_EQ(names(*loadStaffRows(data.src(), QStringLiteral("CARDNO"))),
              (QStringList{"Cid/NIGHT", "Abe/DEFAULT", "Bea/NIGHT", "Dot/"}));
}

TEST_F(PickList, SortColumnsComeOnlyFromTheFixedList) {
    const std::pair<const char*, const char*> cases[] = {{"WORKGROUP", "DESCX"},
                                                         {"cardno", "CARDNO"},
                                                         {"DESCX", "DESCX"},
                                                         {"NAME;drop table staffs", "NAME"},
                                                         {"", "NAME"}};
    for (const auto& [title, column] : cases)
        EXPECT_EQ(sortColumnForTitle(QString::fromUtf8(title)), QString::fromUtf8(column)) << title;
    EXPECT_EQ(storedSortColumn(QStringLiteral("PL_unset_here")), QStringLiteral("NAME"));
}

}  // namespace
}  // namespace tallyport::test
