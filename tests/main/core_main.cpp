#include <QCoreApplication>
#include <gtest/gtest.h>

#include "isolation.h"

int main(int argc, char** argv) {
    TestIsolation isolation;
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
