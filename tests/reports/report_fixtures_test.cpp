// Every fixture in tests/data/reports: a small log written through the store, the report run
// as `tallyport report` would run it, and the expected text beside it (NAME.log, NAME.txt).
//
// NAME.log lines:  today YYYY-MM-DD | group ID NAME | staff CARD GROUP NAME [picked] |
//                  log YYYY-MM-DD HH:MM:SS CARD CLOCK|IN|OUT|number | report KIND options…
#include "app/report_command.h"
#include "reports/report_text.h"
#include "support/store_fixture.h"
#include "test_paths.h"

#include <QDir>
#include <QFile>

namespace tallyport {
namespace {

QString fixtureDir() {
    return QStringLiteral(TALLYPORT_TEST_DATA_DIR "/reports");
}

std::vector<std::string> fixtureNames() {
    std::vector<std::string> out;
    for (const QString& f : QDir(fixtureDir()).entryList({QStringLiteral("*.log")}, QDir::Files))
        out.push_back(f.chopped(4).toStdString());
    return out;
}

QString readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

int modeOf(const QString& s) {
    if (s == QLatin1String("CLOCK")) return 0;
    if (s == QLatin1String("IN")) return 1;
    if (s == QLatin1String("OUT")) return 2;
    return s.toInt();
}

class ReportFixture : public test::StoreFixture, public ::testing::WithParamInterface<std::string> {
protected:
    // Writes the fixture's data; answers the report's arguments and the day it runs on.
    QStringList load(const QString& text, QDate& today) {
        QStringList args;
        for (const QString& raw : text.split(u'\n')) {
            const QStringList w = raw.split(u' ', Qt::SkipEmptyParts);
            if (w.isEmpty() || w[0].startsWith(u'#')) continue;
            if (w[0] == QLatin1String("today")) today = QDate::fromString(w[1], Qt::ISODate);
            if (w[0] == QLatin1String("group")) addGroup(w[1].toInt(), w.mid(2).join(u' '));
            if (w[0] == QLatin1String("staff")) addHolder(w);
            if (w[0] == QLatin1String("log"))
                addLog(w[1] + u' ' + w[2], w[3].toInt(), modeOf(w[4]));
            if (w[0] == QLatin1String("report")) args = w.mid(1);
        }
        return args;
    }
    void addHolder(QStringList w) {
        const bool picked = w.last() == QLatin1String("picked");
        if (picked) w.removeLast();
        addStaff(w[1].toInt(), w.mid(3).join(u' '), w[2].toInt());
        if (picked) {
            ASSERT_TRUE(data.src().run(
                QStringLiteral("UPDATE staffs SET PICKED = 1 WHERE CARDNO = ?"), w[1].toInt()));
        }
    }
};

TEST_P(ReportFixture, PrintsTheExpectedLines) {
    const QString name = QString::fromStdString(GetParam());
    QDate today(2026, 1, 7);
    const QStringList args =
        load(readFile(fixtureDir() + u'/' + name + QStringLiteral(".log")), today);
    ASSERT_FALSE(args.isEmpty()) << "no report line";
    ReportRequest r = parseReportArguments(args, today);
    ASSERT_TRUE(r.error.isEmpty()) << r.error.toStdString();
    if (r.scope.persons == PersonsChoice::Group && r.hoursFromGroup) {
        ASSERT_TRUE(readGroupHours(data.src(), r.scope.groupName, dialogOf(r.kind), r.scope.hours));
    }
    auto rc = buildReport(r.kind, r.scope, today, data.att(), data.src());
    ASSERT_TRUE(rc) << rc.error().text.toStdString();
    const QString expected = readFile(fixtureDir() + u'/' + name + QStringLiteral(".txt"));
    EXPECT_EQ(reportText(*rc).toStdString(), expected.toStdString());
}

INSTANTIATE_TEST_SUITE_P(Reports, ReportFixture, ::testing::ValuesIn(fixtureNames()),
                         [](const auto& info) {
                             std::string n = info.param;
                             for (char& c : n)
                                 if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                             return n;
                         });

}  // namespace
}  // namespace tallyport
