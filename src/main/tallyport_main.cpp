// The console's entry: arguments, the single-instance guard, then the desktop or headless run.
#include "app/command_line.h"
#include "app/demo.h"
#include "app/headless.h"
#include "app/headless_operator.h"
#include "app/instance_guard.h"
#include "app/ui/desktop.h"
#include "peripherals/ui/gui_devices.h"
#include "reports/ui/report_pdf_command.h"
#include "version.h"

#include <QApplication>
#include <QCoreApplication>
#include <cstdio>

using namespace tallyport;

namespace {

QStringList arguments(int argc, char** argv) {
    QStringList out;
    for (int i = 1; i < argc; ++i) out << QString::fromLocal8Bit(argv[i]);
    return out;
}

// With --demo the console runs on a throw-away folder beside a simulated reader.
bool prepareDemo(Demo& demo, CommandLine& cl) {
    if (!cl.demo) return true;
    if (auto r = demo.Start(); !r) {
        std::fprintf(stderr, "%s\n", qPrintable(r.error().text));
        return false;
    }
    cl.dataDir = demo.dataFolder();
    return true;
}

int runHeadless(int argc, char** argv, CommandLine cl) {
    QCoreApplication app(argc, argv);
    app.setApplicationName(QStringLiteral(TALLYPORT_PRODUCT));
    InstanceGuard guard;
    if (!guard.acquired()) {
        HeadlessOperator().information(kAnotherInstance);
        return 0;
    }
    Demo demo;
    if (!prepareDemo(demo, cl)) return 1;
    // Spoken greetings without a window; no camera, no beep.
    const std::unique_ptr<SpeechVoice> voice = MakeSpeechVoice();
    return RunHeadless(cl.dataDir, {nullptr, voice.get(), nullptr});
}

int runDesktop(int argc, char** argv, CommandLine cl) {
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral(TALLYPORT_PRODUCT));
    InstanceGuard guard;
    if (!guard.acquired()) {
        ShowAnotherInstance();
        return 0;
    }
    Demo demo;
    if (!prepareDemo(demo, cl)) return 1;
    return RunDesktop(cl.dataDir);
}

}  // namespace

int main(int argc, char** argv) {
    // Reports need no window and no instance lock: they only read the databases.
    if (argc > 1 && qstrcmp(argv[1], "report") == 0) return RunReportCommandWithPdf(argc, argv);
    const CommandLine cl = ParseCommandLine(arguments(argc, argv));
    if (!cl.error.isEmpty()) {
        std::fprintf(stderr, "%s\n\n%s", qPrintable(cl.error), qPrintable(UsageText()));
        return 2;
    }
    if (cl.help) {
        std::printf("%s", qPrintable(UsageText()));
        return 0;
    }
    if (cl.version) {
        std::printf("%s %s\n", TALLYPORT_PRODUCT, TALLYPORT_VERSION);
        return 0;
    }
    if (cl.headless) return runHeadless(argc, argv, cl);
    if (NoDisplayAvailable()) {
        std::fprintf(stderr, "No display available: running headless.\n");
        return runHeadless(argc, argv, cl);
    }
    return runDesktop(argc, argv, cl);
}
