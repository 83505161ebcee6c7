// The status bar's reader indicators on a console whose readers talk to the simulator.
#include "app/ui/reader_indicators.h"
#include "support/dialog_fixture.h"
#include "support/live_console.h"

#include <QLabel>
#include <QTcpServer>
#include <QTextDocument>

namespace tallyport::test {
namespace {

class ReaderIndicatorsTest : public LiveConsole {
protected:
    void SetUp() override {
        ClearSettings();
        LiveConsole::SetUp();
    }
    static QString plain(const QLabel* l) {
        QTextDocument doc;
        doc.setHtml(l->text());
        return doc.toPlainText();
    }
};

// Each reader in use has its own indicator: one that goes down shows it, whatever the other
// reports, and the last punch stays beside the connected one.
TEST_F(ReaderIndicatorsTest, EveryReaderInUseShowsItsOwnLinkAndLastPunch) {
    ReaderIndicators bar(console);
    EXPECT_TRUE(bar.indicator(1)->isVisibleTo(&bar));
    EXPECT_FALSE(bar.indicator(2)->isVisibleTo(&bar));  // pointed at the simulator, not enabled
    EXPECT_FALSE(bar.indicator(3)->isVisibleTo(&bar));
    EXPECT_EQ(plain(bar.indicator(1)), QString::fromUtf8("\u25CF Front door: connected"));

    punch(QStringLiteral("card 6 4711"));
    EXPECT_EQ(plain(bar.indicator(1)),
              QString::fromUtf8("\u25CF Front door: connected · 14:07:09"));
    EXPECT_TRUE(
        bar.indicator(1)->toolTip().contains(QStringLiteral("Last punch 2024-03-05 14:07:09")));

    // Reader 2 enabled at an address where nothing listens: it retries, and says why.
    quint16 closed = 0;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        closed = probe.serverPort();
    }
    ASSERT_TRUE(src().run(QStringLiteral("UPDATE reader SET enable = 1, ipaddr = '127.0.0.1', "
                                         "ipport = ? WHERE PortNo = 2"),
                          int(closed)));
    ASSERT_TRUE(console.readers().ConfigureReader(2));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return plain(bar.indicator(2)).contains(QStringLiteral("retrying in")); }, 5000))
        << qPrintable(plain(bar.indicator(2)));
    EXPECT_TRUE(
        plain(bar.indicator(2)).startsWith(QString::fromUtf8("\u25CF Back door: retrying in ")));
    EXPECT_TRUE(bar.indicator(2)->toolTip().contains(QStringLiteral("Connection refused")))
        << qPrintable(bar.indicator(2)->toolTip());
    EXPECT_TRUE(plain(bar.indicator(1)).contains(QStringLiteral("connected · 14:07:09")));

    // Readers taken out of use (as Format does) leave no indicator claiming a link.
    console.readers().DisconnectReaders();
    bar.refresh();
    EXPECT_FALSE(bar.indicator(1)->isVisibleTo(&bar));
    EXPECT_FALSE(bar.indicator(2)->isVisibleTo(&bar));
}

}  // namespace
}  // namespace tallyport::test
