// The pages of the web reporter over real HTTP: their lines in order, which records each path
// and parameter lists, and every text from the store or the request escaped.
#include "store/setting_names.h"
#include "store/settings.h"

#include "web_fixture.h"

namespace tallyport::test {
namespace {

using WebPages = WebFixture;

QList<QByteArray> linesOf(std::initializer_list<const char*> lines) {
    QList<QByteArray> out;
    for (const char* l : lines) out << QByteArray(l);
    return out;
}

const char* const kFooter =
    "<br><small>powered by <strong><a href=https://tallyport.org/>Zolt</a></strong>'s "
    "technology</small>";

TEST_F(WebPages, TodayWithNoRecordTodaySaysSoAndClosesThePage) {
    clock.set(QDateTime(QDate(2024, 3, 6), QTime(0, 0, 5)));
    const HttpReply r = get("/today");
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.headers.value("content-type"), "text/html; charset=utf-8");
    EXPECT_TRUE(r.body.endsWith("</body>\r\n"));
    EXPECT_EQ(r.lines(), linesOf({"<head>", "<title>", "Tallyport", "</title>", "</head>",
                                  "<body bgcolor=#f5f5f5>", "<center>",
                                  "<strong><u>Time Logs Report V1.0</u></strong><br>",
                                  "Mar 6, 2024 Wed - AM 12:00:05<br>", "[0 record(s)]<br>", "<br>",
                                  "No record.<br>", "</table>", kFooter, "</center>", "</body>"}));
}

TEST_F(WebPages, TheMonitorRefreshesAndListsRowsInAlternatingColours) {
    const HttpReply r = get("/monitor?30&2");
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(
        r.lines(),
        linesOf(
            {"<head>",
             "<meta http-equiv=refresh content=30>",
             "<title>",
             "Tallyport",
             " - auto refresh in 30s",
             "</title>",
             "</head>",
             "<body bgcolor=#f5f5f5>",
             "<center>",
             "<strong><u>Time Logs Report V1.0</u></strong><br>",
             "Mar 5, 2024 Tue - PM 02:07:09<br>",
             "[2 / 3 record(s)]<br>",
             "<br>",
             "<table border=0 bgcolor=#DCDCDC bordercolor=#DCDCDC>",
             "<tr bgcolor=#ADD8E6 align=center>",
             "<th width=250>Time</th>",
             "<th width=200>Holder</th>",
             "<th width=150>Group</th>",
             "<th width=80>Mode</th>",
             "<th width=100>Reader</th>",
             "</tr>",
             "<tr align=center bgcolor=#FFFFFF><td>Mar 5, 2024 Tue - AM 10:00:00</td>"
             "<td>[99999]</td><td></td><td>IN</td><td>Front door</td></tr>",
             "<tr align=center bgcolor=#F5F5F5><td>Mar 5, 2024 Tue - AM 09:00:00</td>"
             "<td>&lt;script&gt;</td><td>R&amp;D</td><td>OUT</td><td>Back &lt;door&gt;</td></tr>",
             "</table>",
             kFooter,
             "</center>",
             "</body>"}));
}

struct Listing {
    QByteArray countLine;
    qsizetype rows = 0;
    QByteArray firstRow;
    QByteArray refresh;  // the meta line, when there is one
};

Listing listingOf(const HttpReply& r) {
    Listing l;
    const QList<QByteArray> lines = r.lines();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].startsWith("<meta")) l.refresh = lines[i];
        if (lines[i].endsWith("record(s)]<br>")) l.countLine = lines[i];
        if (lines[i].startsWith("<tr align=center")) {
            if (l.rows++ == 0) l.firstRow = lines[i];
        }
    }
    return l;
}

TEST_F(WebPages, EachPathAndParameterListsItsRecords) {
    struct Case {
        const char* target;
        const char* countLine;
        qsizetype rows;
        const char* firstHolder;  // the holder cell of the first row
    };
    const Case cases[] = {
        {"/today", "[3 record(s)]<br>", 3, "<td>[99999]</td>"},
        {"/today?2", "[2 / 3 record(s)]<br>", 2, "<td>[99999]</td>"},
        // The limit is tested after each row: 0 and below still list the newest one.
        {"/today?0", "[0 / 3 record(s)]<br>", 1, "<td>[99999]</td>"},
        {"/today?-4", "[-4 / 3 record(s)]<br>", 1, "<td>[99999]</td>"},
        {"/today?n=5", "[3 record(s)]<br>", 3, "<td>[99999]</td>"},
        {"/today?1&2", "[3 record(s)]<br>", 3, "<td>[99999]</td>"},
        {"/logs", "[20 / 30 record(s)]<br>", 20, "<td>[99999]</td>"},
        {"/logs?5", "[5 / 30 record(s)]<br>", 5, "<td>[99999]</td>"},
        {"/logs?100", "[30 record(s)]<br>", 30, "<td>[99999]</td>"},
        {"/TODAY", "[20 / 30 record(s)]<br>", 20, "<td>[99999]</td>"},
        {"/", "[20 / 30 record(s)]<br>", 20, "<td>[99999]</td>"},
        {"/favicon.ico", "[20 / 30 record(s)]<br>", 20, "<td>[99999]</td>"},
        // The first holder in name order whose name begins with the text; case counts.
        {"/person?SMI", "[1 record(s)]<br>", 1, "<td>SMILEY</td>"},
        {"/person?SMIT", "[20 / 25 record(s)]<br>", 20, "<td>SMITH JOHN</td>"},
        {"/person?SMIT&3", "[3 / 25 record(s)]<br>", 3, "<td>SMITH JOHN</td>"},
        {"/person?23456&3", "[3 / 25 record(s)]<br>", 3, "<td>SMITH JOHN</td>"},
        {"/person?%3Cscript%3E", "[1 record(s)]<br>", 1, "<td>&lt;script&gt;</td>"},
        {"/person?888", "[1 record(s)]<br>", 1, "<td>[888]</td>"},
        {"/person?xyz", "[20 / 30 record(s)]<br>", 20, "<td>[99999]</td>"},
        {"/person?smi", "[20 / 30 record(s)]<br>", 20, "<td>[99999]</td>"},
        {"/person?0", "[20 / 30 record(s)]<br>", 20, "<td>[99999]</td>"},
        {"/person", "[20 / 30 record(s)]<br>", 20, "<td>[99999]</td>"},
        {"/person?&5", "[5 / 30 record(s)]<br>", 5, "<td>[99999]</td>"},
        // Parameters are values, never SQL.
        {"/person?x%27%20OR%20%271%27=%271", "[20 / 30 record(s)]<br>", 20, "<td>[99999]</td>"},
        {"/person?1;DROP%20TABLE%20recorder;--", "[20 / 30 record(s)]<br>", 20, "<td>[99999]</td>"},
        {"/logs?5%20OR%201=1", "[20 / 30 record(s)]<br>", 20, "<td>[99999]</td>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        const HttpReply r = get(c.target);
        EXPECT_EQ(r.status, 200);
        const Listing l = listingOf(r);
        EXPECT_EQ(l.countLine, c.countLine);
        EXPECT_EQ(l.rows, c.rows);
        EXPECT_TRUE(l.firstRow.contains(c.firstHolder)) << l.firstRow.constData();
        EXPECT_TRUE(l.refresh.isEmpty());
    }
    EXPECT_EQ(*data.att().scalarInt(QStringLiteral("SELECT count(*) FROM recorder")), 30);
}

TEST_F(WebPages, TheMonitorRefreshesEveryMinuteUnlessTheFirstParameterSaysOtherwise) {
    struct Case {
        const char* target;
        const char* refresh;
        const char* countLine;
    };
    for (const Case& c : {Case{"/monitor", "content=60>", "[3 record(s)]<br>"},
                          Case{"/monitor?abc", "content=60>", "[3 record(s)]<br>"},
                          Case{"/monitor?15", "content=15>", "[3 record(s)]<br>"},
                          Case{"/monitor?15&2", "content=15>", "[2 / 3 record(s)]<br>"},
                          Case{"/monitor?15&2&3", "content=60>", "[3 record(s)]<br>"},
                          Case{"/monitor?abc&1", "content=60>", "[1 / 3 record(s)]<br>"}}) {
        SCOPED_TRACE(c.target);
        const Listing l = listingOf(get(c.target));
        EXPECT_TRUE(l.refresh.endsWith(c.refresh)) << l.refresh.constData();
        EXPECT_EQ(l.countLine, c.countLine);
    }
}

TEST_F(WebPages, HoldersGroupsReadersAndTheTitleAreEscapedAndFollowChanges) {
    WriteSettingText(setting::WebTitle, QStringLiteral("<b>Gate & Co</b>"));
    HttpReply r = get("/today");
    EXPECT_EQ(r.lines().value(2), "&lt;b&gt;Gate &amp; Co&lt;/b&gt;");
    EXPECT_FALSE(r.body.contains("<script>"));
    EXPECT_FALSE(r.body.contains("<door>"));
    EXPECT_FALSE(r.body.contains("<b>"));
    // A reader renamed, a holder registered: the next page shows them.
    setReader(1, QStringLiteral("Main gate"));
    addStaff(99999, QStringLiteral("NEWBIE"), 2);
    WriteSettingText(setting::WebTitle, QStringLiteral("Gate"));
    r = get("/today?1");
    EXPECT_EQ(r.lines().value(2), "Gate");
    EXPECT_TRUE(listingOf(r).firstRow.contains(
        "<td>NEWBIE</td><td>OFFICE</td><td>IN</td><td>Main gate</td>"))
        << r.body.constData();
    // A mode outside 0..2 and a reader outside 1..8.
    EXPECT_TRUE(listingOf(get("/person?888")).firstRow.contains("<td>N/A</td><td>ERROR</td>"));
}

TEST_F(WebPages, NewRecordsAndTheNextDayShowWithoutARestart) {
    EXPECT_EQ(listingOf(get("/today")).countLine, "[3 record(s)]<br>");
    addLog(QStringLiteral("2024-03-05 14:07:00"), 12345, 2, 1);
    const Listing l = listingOf(get("/today"));
    EXPECT_EQ(l.countLine, "[4 record(s)]<br>");
    EXPECT_TRUE(l.firstRow.contains("<td>Mar 5, 2024 Tue - PM 02:07:00</td><td>ANNA</td>"));
    clock.set(QDateTime(QDate(2024, 3, 4), QTime(23, 59, 59)));
    EXPECT_EQ(listingOf(get("/today")).countLine, "[20 / 27 record(s)]<br>");
}

// While a database file is being replaced the server lets go of it: a request then gets the
// page closed as after any failure, and pages come back once the files are there again.
TEST_F(WebPages, APageThatCannotBeReadIsStillClosedAndServedAgainAfterwards) {
    reporter->closeConnections();
    HttpReply r = get("/today");
    EXPECT_EQ(r.status, 500);
    EXPECT_EQ(r.lines().mid(9), linesOf({"</table>", kFooter, "</center>", "</body>"}));
    EXPECT_EQ(get("/api/logs").status, 500);
    reporter->reopenConnections();
    r = get("/today");
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(listingOf(r).countLine, "[3 record(s)]<br>");
}

}  // namespace
}  // namespace tallyport::test
