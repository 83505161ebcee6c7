#pragma once

#include <QTemporaryDir>
#include <QtGlobal>

// Each test process gets settings and runtime folders of its own: ctest runs the cases of one
// program side by side, and no case may see another's settings or lock files.
struct TestIsolation {
    QTemporaryDir config;
    QTemporaryDir runtime;
    TestIsolation() {
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    }
};
