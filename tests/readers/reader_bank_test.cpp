// The eight reader clients configured from the `reader` table, against the reader simulator
// over real TCP.
#include "readers/reader_bank.h"
#include "store/messages.h"
#include "support/sim_process.h"
#include "support/store_fixture.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

using namespace tallyport;

namespace {

class ReaderConfig : public tallyport::test::StoreFixture {
protected:
    void setRow(int port, bool enable, const QString& addr, const QString& ipport) {
        ASSERT_TRUE(data.src().run(
            QStringLiteral("UPDATE reader SET enable = ?, ipaddr = ?, ipport = ?, \"desc\" = ? "
                           "WHERE PortNo = ?"),
            enable, addr, ipport, QStringLiteral("Door %1").arg(port), port));
    }
    void describeAll() {
        for (int p = 1; p <= 8; ++p) setRow(p, false, QString(), QStringLiteral("1668"));
    }
    // A loopback port nobody listens on.
    static quint16 closedPort() {
        QTcpServer s;
        s.listen(QHostAddress::LocalHost);
        return s.serverPort();
    }
};

TEST_F(ReaderConfig, ARowForPortNineLeavesPortEightAtItsDefaults) {
    describeAll();
    ASSERT_TRUE(data.src().run(QStringLiteral("UPDATE reader SET PortNo = 9 WHERE PortNo = 8")));
    ReaderBank bank(data, op);
    bank.ConfigureReaders();
    EXPECT_TRUE(op.shown().isEmpty());
    for (int p = 1; p <= 7; ++p) EXPECT_EQ(bank.reader(p).Desc(), QStringLiteral("Door %1").arg(p));
    EXPECT_EQ(bank.reader(8).Desc(), QStringLiteral("COM8"));
    EXPECT_FALSE(bank.reader(8).Enable());
}

TEST_F(ReaderConfig, SevenOrNineRowsConfigureNothingAndSaySoOnce) {
    tallyport::testing::SimProcess sim;
    ASSERT_TRUE(sim.ready());
    describeAll();
    setRow(1, true, QStringLiteral("127.0.0.1"), QString::number(sim.port()));
    for (const char* change : {"DELETE FROM reader WHERE PortNo = 8",
                               "INSERT INTO reader(PortNo, \"desc\") VALUES (8, 'x'), (9, 'y')"}) {
        ASSERT_TRUE(data.src().exec(QString::fromLatin1(change)));
        op.clear();
        ReaderBank bank(data, op);
        bank.ConfigureReaders();
        EXPECT_EQ(op.shown(), QStringList{QStringLiteral("error: ") + msg::ReformatDatabase});
        EXPECT_EQ(bank.reader(1).Desc(), QStringLiteral("COM1"));
        QTest::qWait(300);
        EXPECT_FALSE(bank.reader(1).isConnected());
    }
    EXPECT_FALSE(sim.waitForEvent(QStringLiteral("readersim connected %1").arg(sim.port()), 200));
}

TEST_F(ReaderConfig, AnAbsentReaderIsDisabledSilentlyAndJoinsWhenItAppears) {
    describeAll();
    const quint16 port = closedPort();
    setRow(3, true, QStringLiteral("127.0.0.1"), QString::number(port));
    ReaderBank bank(data, op);
    QSignalSpy status(&bank, &ReaderBank::readerStatus);
    bank.ConfigureReaders();
    EXPECT_FALSE(bank.reader(3).Enable());
    EXPECT_TRUE(status.isEmpty());  // nothing waited inside the configuration
    ASSERT_TRUE(QTest::qWaitFor([&] { return !status.isEmpty(); }, 5000));
    EXPECT_FALSE(bank.reader(3).Enable());
    QTcpServer reader;
    ASSERT_TRUE(reader.listen(QHostAddress::LocalHost, port));
    EXPECT_TRUE(QTest::qWaitFor([&] { return bank.reader(3).Enable(); }, 8000));
    EXPECT_TRUE(bank.reader(3).isConnected());
    EXPECT_TRUE(op.shown().isEmpty());
}

TEST_F(ReaderConfig, AnAddressThatIsNoNumberOrEmptyIsNeverTried) {
    describeAll();
    setRow(2, true, QStringLiteral("127.0.0.1"), QStringLiteral("16a8"));
    setRow(5, true, QString(), QStringLiteral("1668"));
    ReaderBank bank(data, op);
    QSignalSpy status(&bank, &ReaderBank::readerStatus);
    bank.ConfigureReaders();
    QTest::qWait(1500);
    EXPECT_TRUE(status.isEmpty());
    EXPECT_FALSE(bank.reader(2).Enable());
    EXPECT_FALSE(bank.reader(5).Enable());
    EXPECT_TRUE(op.shown().isEmpty());
}

TEST_F(ReaderConfig, CardsArriveThroughPollingAndADroppedLineIsReconnected) {
    tallyport::testing::SimProcess sim;
    ASSERT_TRUE(sim.ready());
    describeAll();
    setRow(4, true, QStringLiteral("127.0.0.1"), QString::number(sim.port()));
    ReaderBank bank(data, op);
    QSignalSpy cards(&bank, &ReaderBank::cardCode);
    QSignalSpy status(&bank, &ReaderBank::readerStatus);
    bank.ConfigureReaders();
    ASSERT_TRUE(QTest::qWaitFor([&] { return bank.reader(4).Enable(); }, 5000));
    ASSERT_TRUE(sim.ok(QStringLiteral("join card 6 12345 ; card 6 777")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return cards.size() == 2; }, 5000));
    EXPECT_EQ(cards[0][1].toInt(), 4);
    EXPECT_EQ(cards[0][2].toInt(), 12345);
    EXPECT_EQ(cards[1][2].toInt(), 777);

    ASSERT_TRUE(sim.ok(QStringLiteral("close")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !bank.reader(4).isConnected(); }, 5000));
    EXPECT_TRUE(bank.reader(4).Backout());
    ASSERT_TRUE(QTest::qWaitFor([&] { return bank.reader(4).isConnected(); }, 8000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return sim.ok(QStringLiteral("card 6 4242")); }, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return cards.size() == 3; }, 5000));
    EXPECT_EQ(cards.last()[2].toInt(), 4242);
    QStringList texts;
    for (const auto& s : status) texts << s[1].toString();
    EXPECT_TRUE(texts.join(QLatin1Char('|')).contains(QStringLiteral("Door 4")));
    EXPECT_TRUE(op.shown().isEmpty());
}

TEST_F(ReaderConfig, DisconnectStopsEveryReaderUntilConfiguredAgain) {
    tallyport::testing::SimProcess sim;
    ASSERT_TRUE(sim.ready());
    describeAll();
    setRow(1, true, QStringLiteral("127.0.0.1"), QString::number(sim.port()));
    ReaderBank bank(data, op);
    bank.ConfigureReaders();
    ASSERT_TRUE(QTest::qWaitFor([&] { return bank.reader(1).Enable(); }, 5000));
    bank.DisconnectReaders();
    EXPECT_FALSE(bank.reader(1).Enable());
    QTest::qWait(1500);
    EXPECT_FALSE(bank.reader(1).isConnected());
    bank.ConfigureReader(1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return bank.reader(1).Enable(); }, 5000));
}

}  // namespace
