// Pages fetched without pause while a reader's punches are stored: every page whole, the count
// never going back, every punch stored and listed in the end.
#include "support/live_console.h"
#include "web/web_reporter.h"

#include "http_get.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <atomic>
#include <thread>

namespace tallyport::test {
namespace {

using WebWhileRecording = LiveConsole;

TEST_F(WebWhileRecording, PagesStayWholeAndCurrentWhilePunchesAreStored) {
    const auto port = console.web().start(0);
    ASSERT_TRUE(port.has_value()) << qPrintable(port.error().text);
    // The server's keyed opens are done before the punching starts.
    ASSERT_EQ(httpGet(*port, "/today").status, 200);
    constexpr int kPunches = 40;
    std::atomic<bool> done{false};
    std::vector<int> counts;
    int broken = 0;
    std::thread browser([&] {
        static const QRegularExpression count(
            QStringLiteral("\\[(?:1 / )?(\\d+) record\\(s\\)\\]"));
        while (!done) {
            const HttpReply r = httpGet(*port, "/today?1");
            const auto m = count.match(QString::fromUtf8(r.body));
            if (r.status != 200 || !r.body.endsWith("</body>\r\n") || !m.hasMatch())
                ++broken;
            else
                counts.push_back(m.captured(1).toInt());
        }
    });
    for (int i = 0; i < kPunches; ++i) {
        punch(QStringLiteral("card 6 %1").arg(5000 + i));
        QTest::qWait(5);  // a reader's pace, not a burst
    }
    done = true;
    browser.join();

    EXPECT_EQ(broken, 0);
    EXPECT_GE(counts.size(), 5u);
    EXPECT_TRUE(std::is_sorted(counts.begin(), counts.end()));
    EXPECT_EQ(stored.size(), size_t(kPunches));
    EXPECT_EQ(count(att(), QStringLiteral("recorder")), kPunches);
    const HttpReply last = httpGet(*port, "/today?1");
    EXPECT_TRUE(
        last.body.contains(QByteArray("[1 / ") + QByteArray::number(kPunches) + " record(s)]"))
        << last.body.constData();
    const QJsonArray listed = QJsonDocument::fromJson(httpGet(*port, "/api/logs").body).array();
    ASSERT_EQ(listed.size(), kPunches);
    QList<int> cards;
    for (const auto& v : listed) cards << v.toObject()[QLatin1String("card")].toInt();
    std::sort(cards.begin(), cards.end());
    for (int i = 0; i < kPunches; ++i) EXPECT_EQ(cards[i], 5000 + i);
}

}  // namespace
}  // namespace tallyport::test
