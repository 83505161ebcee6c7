// `tallyport report`: the options, and the real program on a data folder.
#include "app/report_command.h"
#include "support/console_process.h"
#include "support/store_fixture.h"

#include <QProcess>

namespace tallyport {
namespace {

ReportRequest parse(const QString& line) {
    return parseReportArguments(line.split(u' ', Qt::SkipEmptyParts), QDate(2026, 1, 7));
}

TEST(ReportArguments, ValuesGiven) {
    const ReportRequest r = parse(QStringLiteral(
        "two-session --persons group:Night --from 2026-01-01 --to 2026-01-31 "
        "--records inout --per-line 6 --time-format 3 --blank-lines --new-page --plain "
        "--hours 08:00-12:00,13:00-17:00 --saturday 08:00-12:00 --ot-min 10 --ot-multiple 0 "
        "--ot-free 5"));
    ASSERT_TRUE(r.error.isEmpty()) << r.error.toStdString();
    EXPECT_EQ(r.kind, ReportKind::TwoSession);
    EXPECT_EQ(r.scope.persons, PersonsChoice::Group);
    EXPECT_EQ(r.scope.groupName, QStringLiteral("Night"));
    EXPECT_EQ(r.scope.dateChoice, DateChoice::Range);
    EXPECT_EQ(r.scope.to, QDate(2026, 1, 31));
    EXPECT_EQ(r.scope.records, RecordsOfInterest::InOut);
    EXPECT_EQ(r.scope.recordsPerLine, 6);
    EXPECT_EQ(r.scope.recordFormat, 3);
    EXPECT_TRUE(r.scope.blankLines && r.scope.newPage && !r.scope.enhanced);
    EXPECT_EQ(r.scope.hours.session2.start, 13 * kHourMs);
    EXPECT_TRUE(r.scope.hours.sat1On);
    EXPECT_FALSE(r.scope.hours.sat2On);
    EXPECT_EQ(r.scope.hours.otMultiple, 0);
    EXPECT_EQ(r.scope.hours.otFree, 5);
    EXPECT_FALSE(r.hoursFromGroup);
}

TEST(ReportArguments, BadOptionsAndValues) {
    const char* bad[] = {
        "",
        "weekly",
        "filo --colour",
        "filo --records",
        "filo --records some",
        "filo --per-line 5",
        "filo --time-format 4",
        "filo --dates yesterday",
        "filo --from 2026-02-30",
        "filo --persons team",
        "filo --ot-min -5",
        "filo --ot-free x",
        "filo --hours 9-17",
        "filo --hours 17:00-09:00",
        "filo --from 2026-01-10 --to 2026-01-01",
        "two-session --hours 09:00-13:00",
        "two-session --hours 09:00-13:00,12:00-11:00",
        "two-session --saturday 09:00-12:00,11:00-14:00",
        "time-logs --hours 09:00-17:00",
        "time-logs --day 2026-01-05",
        "who --from 2026-01-05",
    };
    for (const char* line : bad)
        EXPECT_FALSE(parse(QString::fromLatin1(line)).error.isEmpty()) << line;
    // Inverted ranges are taken where the scope dialog takes them; the overnight hours cross
    // midnight.
    EXPECT_TRUE(
        parse(QStringLiteral("time-logs --from 2026-01-10 --to 2026-01-01")).error.isEmpty());
    EXPECT_TRUE(parse(QStringLiteral("filo-overnight --hours 20:00-08:00")).error.isEmpty());
    EXPECT_TRUE(parse(QStringLiteral("--help")).help);
}

class ReportProgram : public test::StoreFixture {
protected:
    int run(const QString& options, QString* out = nullptr, QString* err = nullptr) {
        QProcess p;
        p.setProgram(test::BuiltProgram(QStringLiteral("tallyport")));
        p.setArguments(QStringList{QStringLiteral("report")} +
                       options.split(u' ', Qt::SkipEmptyParts) +
                       QStringList{QStringLiteral("--data-dir"), dir.path()});
        p.start();
        if (!p.waitForFinished(30000)) return -1;
        if (out) *out = QString::fromUtf8(p.readAllStandardOutput());
        if (err) *err = QString::fromUtf8(p.readAllStandardError());
        return p.exitCode();
    }
};

TEST_F(ReportProgram, WritesTheReportAsText) {
    QString out, err;
    EXPECT_EQ(run(QStringLiteral("filo --dates all"), &out, &err), 1);
    EXPECT_EQ(err.trimmed(), QStringLiteral("No record."));
    addStaff(101, QStringLiteral("Ann"), 1);
    addLog(QStringLiteral("2026-01-05 08:55:00"), 101, 1);
    addLog(QStringLiteral("2026-01-05 17:40:00"), 101, 2);
    ASSERT_EQ(run(QStringLiteral("filo --dates all --records inout --time-format 1 "
                                 "--hours 09:00-17:00 --ot-min 15 --ot-multiple 5 --ot-free 0"),
                  &out, &err),
              0)
        << err.toStdString();
    EXPECT_TRUE(out.startsWith(QStringLiteral("Tallyport ")));
    EXPECT_TRUE(out.contains(
        QStringLiteral("\n  Jan 05, 2026 Mon - 08:55:00[IN]    17:40:00[OUT]   [OT(00:40:00)]\n")))
        << out.toStdString();
    EXPECT_EQ(run(QStringLiteral("filo --per-line 3"), &out, &err), 2);
    EXPECT_TRUE(err.contains(QStringLiteral("--per-line"))) << err.toStdString();
    EXPECT_TRUE(out.isEmpty());
}

// A group named in another letter case brings its own people and its own hours, and the
// header names it; a group that does not exist is an error, not an empty report.
TEST_F(ReportProgram, AGroupBringsItsPeopleAndHoursByOneNameRule) {
    addGroup(2, QStringLiteral("OFFICE"));
    ASSERT_TRUE(data.src().run(QStringLiteral(
        "UPDATE gid SET wd_from_1 = '07:00:00', wd_to_2 = '15:00:00' WHERE id = 2")));
    addStaff(101, QStringLiteral("Ann"), 2);
    addStaff(102, QStringLiteral("Bob"), 1);
    for (int card : {101, 102}) {
        addLog(QStringLiteral("2026-01-05 07:10:00"), card, 1);
        addLog(QStringLiteral("2026-01-05 15:00:00"), card, 2);
    }
    QString out, err;
    ASSERT_EQ(run(QStringLiteral("filo --persons group:office --dates all --records inout "
                                 "--time-format 1"),
                  &out, &err),
              0)
        << err.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("Standard: 07:00 to 15:00"))) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("\nGroup: OFFICE\n")));  // as stored, not as asked
    EXPECT_TRUE(out.contains(QStringLiteral("[101] Ann")));
    EXPECT_FALSE(out.contains(QStringLiteral("Bob")));
    EXPECT_TRUE(out.contains(QStringLiteral("[L(00:10:00)]"))) << out.toStdString();
    EXPECT_EQ(run(QStringLiteral("filo --persons group:NIGHT --dates all"), &out, &err), 1);
    EXPECT_EQ(err.trimmed(), QStringLiteral("--persons: there is no work group \"NIGHT\""));
    EXPECT_TRUE(out.isEmpty());
}

}  // namespace
}  // namespace tallyport
