#include "options.h"

#include "control.h"
#include "frame_description.h"

namespace tallyport::readersim {

namespace {

const char* const kOptionsHelp =
    "Usage: tallyport-readersim [options]\n"
    "Simulated card readers on 127.0.0.1 for the console: one reader per listening port.\n"
    "Each answers the heartbeat with its echo and every command frame with a reply, and\n"
    "sends what its control lines ask for.\n"
    "\n"
    "Options:\n"
    "  --port P          a reader on port P (0: a free port); repeat for more readers\n"
    "  --ports N         N readers on consecutive ports from the one --port (default 0:\n"
    "                    N free ports)\n"
    "  --control-port P  take control lines over TCP on port P as well (0: a free port)\n"
    "  --record FILE     append \"PORT HEX\" per frame received, flushed at once\n"
    "  --exec LINE       run a control line once listening, e.g. --exec \"every 5 card 6 1\"\n"
    "  --verbose         print \"readersim frame PORT HEX\" per frame received\n"
    "  --help            this text\n"
    "\n"
    "Standard output: \"readersim listening 127.0.0.1:PORT\" per reader, \"readersim control\n"
    "127.0.0.1:PORT\" with --control-port, then \"readersim ready\"; later \"readersim connected\n"
    "PORT\" and \"readersim disconnected PORT\" as consoles come and go, and the answers to\n"
    "control lines read from standard input. With no reader given: one on a free port.\n"
    "\n";

Result<quint16> portValue(const QString& text) {
    const auto v = parseNumber(text, 65535);
    if (!v) return fail(QStringLiteral("not a port number: ") + text);
    return quint16(*v);
}

Result<bool> applyPortCount(Options& o, const QString& countText) {
    const auto count = parseNumber(countText, 1000);
    if (!count || *count == 0) return fail(QStringLiteral("--ports needs a count 1..1000"));
    if (o.ports.size() > 1) return fail(QStringLiteral("--ports takes one --port as its base"));
    const quint16 base = o.ports.value(0, 0);
    if (base != 0 && base + *count - 1 > 65535) return fail(QStringLiteral("ports beyond 65535"));
    o.ports.clear();
    for (uint32_t i = 0; i < *count; ++i) o.ports.append(base == 0 ? 0 : quint16(base + i));
    return true;
}

}  // namespace

QString usageText() {
    return QString::fromLatin1(kOptionsHelp) + ControlInterpreter::help();
}

Result<Options> parseOptions(const QStringList& arguments) {
    Options o;
    std::optional<QString> portCount;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == u"--help" || a == u"-h") {
            o.helpOnly = true;
            continue;
        }
        if (a == u"--verbose") {
            o.verbose = true;
            continue;
        }
        if (i + 1 >= arguments.size())
            return fail(QStringLiteral("unknown option or missing value: ") + a);
        const QString& v = arguments[++i];
        if (a == u"--port") {
            auto p = portValue(v);
            if (!p) return std::unexpected(p.error());
            o.ports.append(*p);
        } else if (a == u"--ports") {
            portCount = v;
        } else if (a == u"--control-port") {
            auto p = portValue(v);
            if (!p) return std::unexpected(p.error());
            o.controlPort = *p;
        } else if (a == u"--record") {
            o.recordFile = v;
        } else if (a == u"--exec") {
            o.execLines.append(v);
        } else {
            return fail(QStringLiteral("unknown option: ") + a);
        }
    }
    if (portCount)
        if (auto ok = applyPortCount(o, *portCount); !ok) return std::unexpected(ok.error());
    if (o.ports.isEmpty()) o.ports.append(0);
    return o;
}

}  // namespace tallyport::readersim
