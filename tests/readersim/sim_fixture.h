#pragma once

#include "support/sim_process.h"

#include <gtest/gtest.h>

namespace tallyport::testing {

// A simulator with one reader and a console-side connection to it.
class ConnectedReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.ready());
        client = sim.connectClient();
        ASSERT_TRUE(client);
    }

    SimProcess sim;
    std::unique_ptr<QTcpSocket> client;
};

}  // namespace tallyport::testing
