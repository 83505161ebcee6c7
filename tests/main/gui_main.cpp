#include <gtest/gtest.h>
#include <QApplication>

int main(int argc, char** argv) {
    // ctest lists the cases before it runs them, without the tests' environment: windows go
    // to the offscreen platform unless a display is asked for explicitly.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
