// How the simulator is driven and what it keeps: connection ends, silence, the record of
// received frames, several readers, the control port and refused control lines.

#include "sim_fixture.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>

using namespace tallyport::testing;

namespace {

const QByteArray kHeartbeat = hexBytes("F5 04 00 0C F0 FA");

// recv() on the raw socket tells an orderly close (0) from a reset (ECONNRESET).
int howTheConnectionEnded(QTcpSocket& s) {
    const int fd = int(s.socketDescriptor());
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 3000) != 1) return -1;
    char byte;
    const ssize_t n = ::recv(fd, &byte, 1, 0);
    return n == 0 ? 0 : n < 0 ? errno : -1;
}

using ReaderSimConnected = ConnectedReaderTest;

TEST(ReaderSimControl, CloseAndResetEndTheConnectionAsAsked) {
    SimProcess sim;
    ASSERT_TRUE(sim.ready());
    const struct {
        const char* line;
        int ending;
    } cases[] = {{"close", 0}, {"reset", ECONNRESET}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        auto client = sim.connectClient();
        ASSERT_TRUE(client);
        ASSERT_TRUE(sim.ok(c.line));
        EXPECT_EQ(howTheConnectionEnded(*client), c.ending);
        EXPECT_TRUE(sim.waitForEvent(QStringLiteral("readersim disconnected %1").arg(sim.port())));
    }
}

TEST(ReaderSimControl, ANewConsoleConnectionReplacesTheOldOne) {
    SimProcess sim;
    ASSERT_TRUE(sim.ready());
    auto first = sim.connectClient();
    auto second = sim.connectClient();
    ASSERT_TRUE(first && second);
    EXPECT_EQ(howTheConnectionEnded(*first), 0);
    ASSERT_TRUE(sim.ok("code G"));
    EXPECT_EQ(hexText(readBytes(*second, 5)), "F5 02 47 B9 FA");
}

TEST_F(ReaderSimConnected, SilentReaderRecordsButDoesNotAnswerUntilToldTo) {
    ASSERT_TRUE(sim.ok("silent"));
    client->write(kHeartbeat);
    EXPECT_TRUE(readChunks(*client, 400).isEmpty());
    EXPECT_EQ(sim.command("frames"),
              (QStringList{QStringLiteral("frame %1 F5 04 00 0C F0 FA").arg(sim.port()), "ok"}));

    ASSERT_TRUE(sim.ok("answer"));
    ASSERT_TRUE(sim.ok("delay 300"));
    client->write(kHeartbeat);
    EXPECT_TRUE(readChunks(*client, 150).isEmpty()) << "the reply is held back";
    EXPECT_EQ(readBytes(*client, 6), kHeartbeat);
}

TEST(ReaderSimControl, RecordsEveryReceivedFrameInTheFileAtOnce) {
    QTemporaryDir dir;
    const QString path = dir.filePath("frames.txt");
    SimProcess sim({"--port", "0", "--record", path});
    ASSERT_TRUE(sim.ready());
    auto client = sim.connectClient();
    ASSERT_TRUE(client);
    client->write(kHeartbeat + hexBytes("F5 05 00 00 01 FA FA") + hexBytes("F5 05 00 00 01 FB FA"));
    ASSERT_EQ(readBytes(*client, 12).size(), 12);  // both answered, so both recorded

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString p = QString::number(sim.port());
    EXPECT_EQ(QString::fromUtf8(file.readAll()),
              p + " F5 04 00 0C F0 FA\n" + p + " F5 05 00 00 01 FA FA\n")
        << "the frame with a bad checksum is not a frame";

    ASSERT_TRUE(sim.ok("clear"));
    EXPECT_EQ(sim.command("frames"), QStringList{"ok"});
}

TEST(ReaderSimControl, ControlPortAddressesEachReaderOfTheProcess) {
    SimProcess sim({"--port", "0", "--ports", "2", "--control-port", "0"});
    ASSERT_TRUE(sim.ready());
    ASSERT_EQ(sim.ports.size(), 2);
    ASSERT_NE(sim.controlPort, 0);
    auto one = sim.connectClient(0);
    auto two = sim.connectClient(1);
    ASSERT_TRUE(one && two);

    QTcpSocket control;
    control.connectToHost("127.0.0.1", sim.controlPort);
    ASSERT_TRUE(control.waitForConnected(3000));
    control.write(QStringLiteral("@%1 card 6 12345\n").arg(sim.port(1)).toUtf8());
    EXPECT_EQ(readBytes(control, 3), "ok\n");
    EXPECT_EQ(hexText(readBytes(*two, 9)), "F5 06 00 00 00 30 39 97 FA");
    EXPECT_TRUE(readChunks(*one, 200).isEmpty());

    two->write(kHeartbeat);
    ASSERT_EQ(readBytes(*two, 6), kHeartbeat);
    EXPECT_EQ(sim.command(QStringLiteral("@%1 frames").arg(sim.port(0))), QStringList{"ok"});
    EXPECT_EQ(sim.command(QStringLiteral("@%1 frames").arg(sim.port(1))).size(), 2);
}

TEST_F(ReaderSimConnected, RepeatsFramesInTurnUntilStopped) {
    ASSERT_TRUE(sim.ok("every 0.1 card 6 1 ; card 6 2"));
    const QByteArray got = readBytes(*client, 27);
    EXPECT_EQ(hexText(got),
              "F5 06 00 00 00 00 01 FF FA F5 06 00 00 00 00 02 FE FA "
              "F5 06 00 00 00 00 01 FF FA");
    ASSERT_TRUE(sim.ok("every off"));
    readChunks(*client, 150);  // one may have been on its way
    EXPECT_TRUE(readChunks(*client, 300).isEmpty());
}

TEST(ReaderSimControl, RefusesWhatItCannotDo) {
    SimProcess sim;
    ASSERT_TRUE(sim.ready());
    EXPECT_EQ(sim.command("card 6 1"),
              QStringList{QStringLiteral("error no console connected on port %1").arg(sim.port())});
    auto client = sim.connectClient();
    ASSERT_TRUE(client);
    for (const char* line : {"card 6 16777216", "card 7 1", "card 11 1 mode=128", "code CC",
                             "hex F5 0", "split 0 10 card 6 1", "every 0 card 6 1", "@1 status",
                             "dance", "join card 6 1 ; bogus"}) {
        SCOPED_TRACE(line);
        const QStringList answer = sim.command(line);
        ASSERT_EQ(answer.size(), 1);
        EXPECT_TRUE(answer[0].startsWith("error ")) << answer[0].toStdString();
    }
    EXPECT_TRUE(readChunks(*client, 200).isEmpty()) << "a refused line sends nothing";
}

TEST(ReaderSimControl, StartFailsClearlyOnATakenPort) {
    SimProcess first;
    ASSERT_TRUE(first.ready());
    SimProcess second({"--port", QString::number(first.port())});
    EXPECT_FALSE(second.ready());
    second.process().waitForFinished(5000);
    EXPECT_EQ(second.process().state(), QProcess::NotRunning);
    EXPECT_EQ(second.process().exitCode(), 2);
    EXPECT_TRUE(second.process().readAllStandardError().contains("cannot listen"));
}

}  // namespace
