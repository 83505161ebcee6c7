// The scope turned into data: days, persons, one person's records, remembered settings, and the
// bands a report is made of.
#include "base/clock.h"
#include "reports/report_contents.h"
#include "staff/groups.h"
#include "store/setting_names.h"
#include "store/settings.h"
#include "support/store_fixture.h"

#include <QTemporaryDir>
#include <functional>

namespace tallyport {
namespace {

class ScopeData : public test::StoreFixture {
protected:
    DateRange resolve(DateChoice choice, const QDate& today) {
        ManualClock clock(QDateTime(today, QTime(15, 30)));
        setAppClock(&clock);
        ReportScope s;
        s.dateChoice = choice;
        s.from = QDate(2026, 3, 10);
        s.to = QDate(2026, 3, 2);
        auto r = ResolveDates(s, appClock().now().date(), data.att());
        setAppClock(nullptr);
        EXPECT_TRUE(r);
        return r.value_or(DateRange{});
    }
    static QDate day(Stamp s) { return dateOfStamp(s); }
};

TEST_F(ScopeData, ResolveDatesFromTheClock) {
    const QDate monday(2026, 1, 5), january(2026, 1, 20);
    DateRange r = resolve(DateChoice::ThisWeek, monday);
    EXPECT_EQ(day(r.firstDay), monday);
    EXPECT_EQ(day(r.lastDay), monday);
    r = resolve(DateChoice::ThisWeek, QDate(2026, 1, 11));  // a Sunday ends its week
    EXPECT_EQ(day(r.firstDay), monday);
    r = resolve(DateChoice::LastWeek, QDate(2026, 1, 7));
    EXPECT_EQ(day(r.firstDay), QDate(2025, 12, 29));
    EXPECT_EQ(day(r.lastDay), QDate(2026, 1, 4));
    r = resolve(DateChoice::LastMonth, january);
    EXPECT_EQ(day(r.firstDay), QDate(2025, 12, 1));
    EXPECT_EQ(day(r.lastDay), QDate(2025, 12, 31));
    r = resolve(DateChoice::LastMonth, QDate(2024, 3, 31));
    EXPECT_EQ(day(r.firstDay), QDate(2024, 2, 1));
    EXPECT_EQ(day(r.lastDay), QDate(2024, 2, 29));
    r = resolve(DateChoice::ThisMonth, january);
    EXPECT_EQ(day(r.firstDay), QDate(2026, 1, 1));
    EXPECT_EQ(day(r.lastDay), january);
    r = resolve(DateChoice::Range, january);  // an inverted range is taken as it is
    EXPECT_EQ(day(r.firstDay), QDate(2026, 3, 10));
    EXPECT_EQ(day(r.lastDay), QDate(2026, 3, 2));
    EXPECT_FALSE(r.allDates);
}

TEST_F(ScopeData, AllDatesSpanTheWholeLog) {
    addLog(QStringLiteral("2025-11-03 07:00:00.250"), 5);
    addLog(QStringLiteral("2024-02-01 09:15:30"), 6);
    addLog(QStringLiteral("2026-01-02 18:00:00"), 5);
    const DateRange r = resolve(DateChoice::All, QDate(2026, 1, 5));
    EXPECT_TRUE(r.allDates);
    EXPECT_EQ(dateTimeOfStamp(r.firstDay), QDateTime(QDate(2024, 2, 1), QTime(9, 15, 30)));
    EXPECT_EQ(dateTimeOfStamp(r.lastDay), QDateTime(QDate(2026, 1, 2), QTime(18, 0)));
}

TEST_F(ScopeData, PersonsOfEachChoice) {
    addGroup(2, QStringLiteral("Night"));
    addStaff(30, QStringLiteral("Zoe"), 2);
    addStaff(10, QStringLiteral("Adam"), 1);
    addStaff(20, QStringLiteral("Mia"), 7);  // a group that does not exist
    ASSERT_TRUE(
        data.src().run(QStringLiteral("UPDATE staffs SET PICKED = 1 WHERE CARDNO IN (30, 20)")));
    auto names = [&](PersonsChoice c, const QString& group) {
        QStringList out;
        const auto rows = selectReportPersons(data.src(), c, group);
        EXPECT_TRUE(rows);
        for (const PersonRow& p : rows.value_or(std::vector<PersonRow>{}))
            out << QStringLiteral("%1:%2:%3").arg(p.cardNo).arg(p.name, p.groupName);
        return out.join(u' ');
    };
    EXPECT_EQ(names(PersonsChoice::All, {}),
              QStringLiteral("10:Adam:DEFAULT 20:Mia: 30:Zoe:Night"));
    EXPECT_EQ(names(PersonsChoice::Group, QStringLiteral("Night")), QStringLiteral("30:Zoe:Night"));
    EXPECT_EQ(names(PersonsChoice::Group, QStringLiteral("Nobody's")), QString());
    EXPECT_EQ(names(PersonsChoice::Group, QStringLiteral("x' OR 1=1 --")), QString());
    EXPECT_EQ(names(PersonsChoice::List, {}), QStringLiteral("30:Zoe:Night 20:Mia:"));
    EXPECT_EQ(firstGroupName(data.src()).value(), QStringLiteral("DEFAULT"));
}

TEST_F(ScopeData, PersonRecordsCoverWholeDaysOnly) {
    addLog(QStringLiteral("2026-01-04 23:59:59"), 5, 1);
    addLog(QStringLiteral("2026-01-05 00:00:00"), 5, 0);
    addLog(QStringLiteral("2026-01-06 23:59:59.900"), 5, 2);
    addLog(QStringLiteral("2026-01-07 00:00:00"), 5, 1);  // the next day, in the next range only
    addLog(QStringLiteral("2026-01-05 12:00:00"), 6, 1);
    const DateRange r{stampFromDate(QDate(2026, 1, 5)), stampFromDate(QDate(2026, 1, 6)), false};
    auto cur = OpenPersonRecords(data.att(), 5, RecordsOfInterest::All, r).value();
    ASSERT_EQ(cur.size(), 2u);
    EXPECT_EQ(cur.current().mode, 0);
    cur.next();
    EXPECT_EQ(dateTimeOfStamp(cur.current().time), QDateTime(QDate(2026, 1, 6), QTime(23, 59, 59)));
    EXPECT_EQ(OpenPersonRecords(data.att(), 5, RecordsOfInterest::Clock, r)->size(), 1u);
    EXPECT_EQ(OpenPersonRecords(data.att(), 5, RecordsOfInterest::InOut, r)->size(), 1u);
    EXPECT_EQ(
        OpenPersonRecords(data.att(), 5, RecordsOfInterest::All, DateRange{0, 0, true})->size(),
        4u);
    auto shifted = OpenPersonRecords(data.att(), 6, RecordsOfInterest::All, r, 12).value();
    EXPECT_EQ(dateTimeOfStamp(shifted.current().time), QDateTime(QDate(2026, 1, 5), QTime(0, 0)));
}

TEST_F(ScopeData, GroupHoursSpanBothSessions) {
    WorkingHours one, two;
    ASSERT_TRUE(readGroupHours(data.src(), QStringLiteral("DEFAULT"), ScopeDialog::OneSession, one)
                    .value());
    EXPECT_EQ(one.standard.start, 9 * kHourMs);
    EXPECT_EQ(one.standard.end, 17 * kHourMs);
    EXPECT_EQ(one.otMinimum, 15);
    ASSERT_TRUE(readGroupHours(data.src(), QStringLiteral("default"), ScopeDialog::TwoSession, two)
                    .value());
    EXPECT_EQ(two.session1.end, 13 * kHourMs);
    EXPECT_EQ(two.session2.start, 14 * kHourMs);
    EXPECT_FALSE(
        readGroupHours(data.src(), QStringLiteral("none"), ScopeDialog::TwoSession, two).value());
}

// A settings store of its own, so what this test remembers reaches no other test.
class OwnSettings {
public:
    OwnSettings() : m_old(qgetenv("XDG_CONFIG_HOME")) {
        qputenv("XDG_CONFIG_HOME", m_dir.path().toUtf8());
    }
    ~OwnSettings() { qputenv("XDG_CONFIG_HOME", m_old); }

private:
    QByteArray m_old;
    QTemporaryDir m_dir;
};

TEST(ScopeDefaults, RememberedSettings) {
    OwnSettings own;
    const QDate today(2026, 1, 5);
    EXPECT_EQ(readScopeDefaults(ScopeDialog::Scope, today).recordsPerLine, 4);
    ASSERT_TRUE(WriteSettingInt(setting::PrintRecordsPerLine, 8));
    EXPECT_EQ(readScopeDefaults(ScopeDialog::Scope, today).recordsPerLine, 8);
    ASSERT_TRUE(WriteSettingInt(setting::PrintRecordsPerLine, 2));
    EXPECT_EQ(readScopeDefaults(ScopeDialog::Who, today).recordsPerLine, 2);
    ASSERT_TRUE(WriteSettingInt(setting::PrintRecordsPerLine, 5));
    EXPECT_EQ(readScopeDefaults(ScopeDialog::Scope, today).recordsPerLine, 4);
    EXPECT_TRUE(readScopeDefaults(ScopeDialog::Who, today).newPage);
    EXPECT_FALSE(readScopeDefaults(ScopeDialog::Scope, today).newPage);
    ASSERT_TRUE(WriteSettingInt(setting::PrintPersons, 2));
    ASSERT_TRUE(WriteSettingInt(setting::PrintDateRange, 3));
    EXPECT_EQ(readScopeDefaults(ScopeDialog::Scope, today).persons, PersonsChoice::All);
    const ReportScope late = readScopeDefaults(ScopeDialog::TwoSession, today);
    EXPECT_EQ(late.persons, PersonsChoice::List);
    EXPECT_EQ(late.dateChoice, DateChoice::LastMonth);
    EXPECT_EQ(late.hours.session2.end, 17 * kHourMs + 30 * kMinuteMs);
    ASSERT_TRUE(WriteSettingText(setting::LastStdEnd, QStringLiteral("18:0:0")));
    EXPECT_EQ(readScopeDefaults(ScopeDialog::OneSession, today).hours.standard.end, 18 * kHourMs);
}

// Each dialog writes its own subset on Confirm and reads it back when it opens again.
TEST(ScopeDefaults, ConfirmRemembersEachDialogsOwnSettings) {
    OwnSettings own;
    const QDate today(2026, 1, 5);
    ReportScope s;
    s.persons = PersonsChoice::Group;
    s.dateChoice = DateChoice::Range;
    s.records = RecordsOfInterest::InOut;
    s.blankLines = s.newPage = s.firstInLastOutOnly = true;
    s.enhanced = s.previewOnly = false;
    s.recordsPerLine = 8;
    s.recordFormat = 3;
    s.hours.session2 = {15 * kHourMs, 18 * kHourMs};
    s.hours.sat2On = true;
    s.hours.otFree = 10;

    writeScopeSettings(ScopeDialog::Who, s);  // no dates, records, blank lines or persons
    ReportScope back = readScopeDefaults(ScopeDialog::Scope, today);
    EXPECT_EQ(back.dateChoice, DateChoice::ThisWeek);
    EXPECT_EQ(back.records, RecordsOfInterest::All);
    EXPECT_FALSE(back.blankLines);
    EXPECT_TRUE(back.newPage);
    EXPECT_FALSE(back.enhanced);
    EXPECT_EQ(back.recordsPerLine, 8);
    EXPECT_EQ(back.recordFormat, 3);
    EXPECT_EQ(ReadSettingInt(setting::PrintPersons, -1), -1);

    writeScopeSettings(ScopeDialog::Scope, s);  // no persons, no hours
    back = readScopeDefaults(ScopeDialog::TwoSession, today);
    EXPECT_EQ(back.dateChoice, DateChoice::Range);
    EXPECT_EQ(back.records, RecordsOfInterest::InOut);
    EXPECT_TRUE(back.blankLines && back.firstInLastOutOnly);
    EXPECT_EQ(back.persons, PersonsChoice::All);
    EXPECT_EQ(back.hours.otFree, 0);

    s.recordsPerLine = 2;
    writeScopeSettings(ScopeDialog::TwoSession, s);  // persons and hours, not records per line
    back = readScopeDefaults(ScopeDialog::TwoSession, today);
    EXPECT_EQ(back.persons, PersonsChoice::Group);
    EXPECT_EQ(back.hours.session2.start, 15 * kHourMs);
    EXPECT_TRUE(back.hours.sat2On);
    EXPECT_EQ(back.hours.otFree, 10);
    EXPECT_EQ(back.recordsPerLine, 8);
    EXPECT_EQ(readScopeDefaults(ScopeDialog::OneSession, today).hours.standard.end, 17 * kHourMs);
}

// The late dialogs refuse in a fixed order; the first failing check names the control that
// gets the focus.
using F = std::optional<ScopeField>;
TEST(ScopeDefaults, LateDialogsCheckInOrder) {
    const auto two = [](const std::function<void(ReportScope&)>& change) {
        ReportScope s;
        s.dateChoice = DateChoice::Range;
        s.from = s.to = QDate(2026, 1, 5);
        s.hours.sat1On = true;
        change(s);
        return firstInvalidField(ScopeDialog::TwoSession, s);
    };
    EXPECT_EQ(two([](ReportScope&) {}), F());
    EXPECT_EQ(two([](ReportScope& s) {
                  s.to = s.from.addDays(-1);
                  s.hours.session1.end = s.hours.session1.start;
              }),
              F(ScopeField::From));
    EXPECT_EQ(two([](ReportScope& s) {
                  s.dateChoice = DateChoice::LastWeek;  // the pickers count for "Range" only
                  s.to = s.from.addDays(-1);
              }),
              F());
    EXPECT_EQ(two([](ReportScope& s) {
                  s.hours.session1.end = s.hours.session1.start;
                  s.hours.session2.end = s.hours.session2.start;
              }),
              F(ScopeField::Session1));
    EXPECT_EQ(two([](ReportScope& s) { s.hours.session2.end = s.hours.session2.start + 1; }),
              F());  // one millisecond later is after
    EXPECT_EQ(two([](ReportScope& s) { s.hours.session2.end = s.hours.session2.start; }),
              F(ScopeField::Session2));
    EXPECT_EQ(two([](ReportScope& s) {
                  s.hours.session2 = {8 * kHourMs, 12 * kHourMs};
              }),
              F(ScopeField::Session2));  // session 2 before session 1
    EXPECT_EQ(two([](ReportScope& s) {
                  s.hours.sat1 = {13 * kHourMs, 9 * kHourMs};
                  s.hours.sat1On = true;
                  s.hours.sat2On = true;
              }),
              F(ScopeField::Saturday1));
    EXPECT_EQ(two([](ReportScope& s) {
                  s.hours.sat1On = false;
                  s.hours.sat2On = true;
                  s.hours.sat2.end = s.hours.sat2.start;
              }),
              F(ScopeField::Saturday1Check));
    EXPECT_EQ(two([](ReportScope& s) {
                  s.hours.sat2On = true;
                  s.hours.sat2.end = s.hours.sat2.start;
              }),
              F(ScopeField::Saturday2));
    EXPECT_EQ(two([](ReportScope& s) {
                  s.hours.sat2On = true;
                  s.hours.sat2.start = s.hours.sat1.end;  // must start after session 1 ends
              }),
              F(ScopeField::Saturday2));
    EXPECT_EQ(two([](ReportScope& s) { s.hours.sat1On = false; }), F());

    ReportScope one;
    one.dateChoice = DateChoice::Range;
    one.from = QDate(2026, 1, 5);
    one.to = QDate(2026, 1, 4);
    EXPECT_EQ(firstInvalidField(ScopeDialog::Scope, one), F());  // accepted as it is
    EXPECT_EQ(firstInvalidField(ScopeDialog::OneSession, one), F(ScopeField::From));
    one.to = one.from;
    one.hours.standard = {17 * kHourMs, 9 * kHourMs};
    EXPECT_EQ(firstInvalidField(ScopeDialog::OneSession, one), F(ScopeField::Standard));
    one.hours.standard = {9 * kHourMs, 17 * kHourMs};
    one.hours.saturday = {13 * kHourMs, 13 * kHourMs};
    EXPECT_EQ(firstInvalidField(ScopeDialog::OneSession, one), F());  // Saturday off
    one.hours.satOn = true;
    EXPECT_EQ(firstInvalidField(ScopeDialog::OneSession, one), F(ScopeField::Saturday));
}

// What a refusal says names the field and what is wrong with it.
TEST(ScopeDefaults, RefusalsNameTheField) {
    const qint64 h = kHourMs;
    struct Case {
        ScopeField field;
        std::function<void(WorkingHours&)> hours;
        const char* text;
    };
    const Case cases[] = {
        {ScopeField::From, [](WorkingHours&) {},
         "The range ends before it starts: \"To\" is before \"From\"."},
        {ScopeField::Standard,
         [h](WorkingHours& w) {
             w.standard = {17 * h, 9 * h};
         },
         "The end of the standard time is before its start."},
        {ScopeField::Saturday,
         [h](WorkingHours& w) {
             w.saturday = {9 * h, 9 * h};
         },
         "The end of the Saturday time is the same as its start."},
        {ScopeField::Session1,
         [h](WorkingHours& w) {
             w.session1 = {13 * h, 9 * h};
         },
         "The end of session 1 is before its start."},
        {ScopeField::Session2,
         [h](WorkingHours& w) {
             w.session2 = {14 * h, 14 * h};
         },
         "The end of session 2 is the same as its start."},
        {ScopeField::Session2,
         [h](WorkingHours& w) {
             w.session2 = {8 * h, 12 * h};
         },
         "Session 2 starts before session 1."},
        {ScopeField::Saturday1,
         [h](WorkingHours& w) {
             w.sat1 = {13 * h, 9 * h};
         },
         "The end of Saturday session 1 is before its start."},
        {ScopeField::Saturday1Check, [](WorkingHours&) {},
         "Saturday session 2 is checked without Saturday session 1."},
        {ScopeField::Saturday2,
         [h](WorkingHours& w) {
             w.sat2 = {15 * h, 14 * h};
         },
         "The end of Saturday session 2 is before its start."},
        {ScopeField::Saturday2,
         [h](WorkingHours& w) {
             w.sat2 = {12 * h, 15 * h};
         },
         "Saturday session 2 must start after Saturday session 1 ends."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ReportScope s;
        c.hours(s.hours);
        EXPECT_EQ(scopeRefusalText(s, c.field), QString::fromUtf8(c.text));
    }
}

TEST_F(ScopeData, BandsColoursAndPages) {
    addStaff(1, QStringLiteral("Ann"), 1);
    addStaff(2, QStringLiteral("Bob"), 1);
    for (const char* t : {"2026-01-05 08:00:00", "2026-01-06 08:00:00", "2026-01-07 08:00:00"}) {
        addLog(QString::fromLatin1(t), 1);
        addLog(QString::fromLatin1(t), 2);
    }
    ReportScope s;
    s.dateChoice = DateChoice::ThisWeek;
    s.newPage = true;
    auto rc =
        buildReport(ReportKind::TimeLogs, s, QDate(2026, 1, 7), data.att(), data.src()).value();
    QString shape;
    for (const ReportLine& l : rc.lines)
        shape += QStringLiteral("PDTB")[int(l.band)] +
                 QString(l.colour == BandColour::Yellow ? u'y' : u'w') + (l.newPage ? u'!' : u' ');
    EXPECT_EQ(shape, QStringLiteral("Py Dw Dy Dw Tw Bw Py!Dw Dy Dw Tw "));
    s.enhanced = s.newPage = false;
    rc = buildReport(ReportKind::Daily, s, QDate(2026, 1, 7), data.att(), data.src()).value();
    for (const ReportLine& l : rc.lines) {
        EXPECT_EQ(l.colour, BandColour::White);
        EXPECT_FALSE(l.newPage);
    }
}

}  // namespace
}  // namespace tallyport
