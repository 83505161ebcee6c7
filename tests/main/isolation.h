#pragma once

#include "test_paths.h"

#include <QTemporaryDir>
#include <QtGlobal>

// Each test process gets settings and runtime folders of its own: ctest runs the cases of one
// program side by side, and no case may see another's settings or lock files. Texts are UTF-8,
// windows are drawn offscreen.
struct TestIsolation {
    QTemporaryDir config;
    QTemporaryDir runtime;
    TestIsolation() {
        qputenv("LANG", "C.UTF-8");
        qputenv("LC_ALL", "C.UTF-8");
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("TALLYPORT_BIN_DIR", TALLYPORT_BINARY_DIR);
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    }
};
