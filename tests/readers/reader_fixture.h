#pragma once

#include "base/clock.h"
#include "readers/peer_reader.h"
#include "readers/reader_client.h"

#include <gtest/gtest.h>
#include <QTest>

namespace tallyport::test {

// A reader client on port 4, connected to a PeerReader, with the console's clock in hand.
class ReaderOverTcp : public ::testing::Test {
protected:
    ReaderOverTcp() : clock(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9, 123))) {
        setAppClock(&clock);
        reader = std::make_unique<ReaderClient>();
        reader->setPortNo(4);
        reader->setDesc("Front door");
        reader->setRemoteHost("127.0.0.1");
        reader->setRemotePort(QString::number(peer.port()));
        reader->setDrainWait(2000);  // long enough never to cut an answer short on a busy host
    }
    ~ReaderOverTcp() override {
        reader.reset();
        setAppClock(nullptr);
    }

    void connectReader() {
        ASSERT_TRUE(reader->Reconnect(false));
        ASSERT_TRUE(QTest::qWaitFor([&] { return peer.connected(); }, 2000));
    }
    // Polls as the console's timer would until `done` holds (2 s at most).
    template <typename F>
    bool pollUntil(F done, int ms = 2000) {
        return QTest::qWaitFor(
            [&] {
                reader->Poll();
                return done();
            },
            ms);
    }
    bool peerGot(int frames) {
        return QTest::qWaitFor([&] { return peer.frames().size() >= frames; }, 2000);
    }

    ManualClock clock;
    PeerReader peer;
    std::unique_ptr<ReaderClient> reader;
};

}  // namespace tallyport::test
