#include "control.h"
#include "control_channels.h"
#include "options.h"
#include "simulator.h"

#include <QCoreApplication>
#include <cstdio>

using namespace tallyport::readersim;

namespace {

int failStart(const QString& why) {
    std::fprintf(stderr, "tallyport-readersim: %s\n", qPrintable(why));
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const auto options = parseOptions(app.arguments());
    if (!options) return failStart(options.error().text + QStringLiteral(" (see --help)"));
    if (options->helpOnly) {
        std::fputs(qPrintable(usageText()), stdout);
        return 0;
    }
    Simulator sim(options->verbose);
    QString error;
    if (!options->recordFile.isEmpty() && !sim.openRecord(options->recordFile, &error))
        return failStart(error);
    if (!sim.listen(options->ports, &error)) return failStart(error);
    ControlInterpreter interpreter(sim);
    TcpControl tcpControl(interpreter);
    if (options->controlPort && !tcpControl.listen(*options->controlPort, &error))
        return failStart(error);
    for (const QString& line : options->execLines)
        for (const QString& answer : interpreter.execute(line))
            if (answer.startsWith(u"error")) return failStart(line + QStringLiteral(": ") + answer);
    StdinControl stdinControl(interpreter);
    printLine(QStringLiteral("readersim ready"));
    return app.exec();
}
