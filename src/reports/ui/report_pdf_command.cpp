#include "reports/ui/report_pdf_command.h"

#include "app/clock.h"
#include "app/report_command.h"
#include "reports/ui/report_pages.h"

#include <QGuiApplication>
#include <optional>

namespace tallyport {

namespace {

bool asksForPdf(int argc, char** argv) {
    for (int i = 2; i < argc; ++i)
        if (qstrcmp(argv[i], "--pdf") == 0) return true;
    return false;
}

}  // namespace

int RunReportCommandWithPdf(int argc, char** argv) {
    std::optional<QGuiApplication> app;
    if (asksForPdf(argc, argv)) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
        app.emplace(argc, argv);
    }
    return RunReportCommand(argc, argv, [](const ReportContents& rc, const QString& path) {
        return WriteReportPdf(rc, path, appClock().now());
    });
}

}  // namespace tallyport
