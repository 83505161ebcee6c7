#include "control.h"

#include "frame_description.h"
#include "frames.h"
#include "simulator.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTimer>
#include <memory>

namespace tallyport::readersim {

namespace {

QStringList words(QString line) {
    line.replace(u';', QStringLiteral(" ; "));
    static const QRegularExpression space(QStringLiteral("\\s+"));
    return line.split(space, Qt::SkipEmptyParts);
}

Result<QByteArray> renderAll(const QStringList& args, const SimReader& reader) {
    auto makers = parseFrameDescriptions(args);
    if (!makers) return std::unexpected(makers.error());
    QByteArray bytes;
    for (const FrameMaker& make : *makers) bytes += make(reader);
    return bytes;
}

const QStringList kNoLines;

Result<QStringList> sendInOneWrite(ReaderLink& link, const QStringList& frames) {
    auto bytes = renderAll(frames, link.reader());
    if (!bytes) return std::unexpected(bytes.error());
    link.send(*bytes);
    return kNoLines;
}

}  // namespace

const std::map<QString, ControlInterpreter::Command>& ControlInterpreter::commands() {
    using C = ControlInterpreter;
    static const std::map<QString, Command> table{
        {"card", {&C::sendFrame, true, "card 6|11|13 CARD [...]   send that card frame"}},
        {"code", {&C::sendFrame, true, "code C                    send a key/status code"}},
        {"echo", {&C::sendFrame, true, "echo                      send a heartbeat echo"}},
        {"reply", {&C::sendFrame, true, "reply HEX                 send a reply frame"}},
        {"hex", {&C::sendFrame, true, "hex HEX...                send raw bytes"}},
        {"garbage", {&C::sendFrame, true, "garbage N [seed=S]        send noise"}},
        {"join", {&C::join, true, "join FRAME ; FRAME ...    several frames in one write"}},
        {"split",
         {&C::split, true, "split SIZE MS FRAME [; FRAME ...]  writes of SIZE bytes, MS apart"}},
        {"every",
         {&C::every, false,
          "every SECONDS FRAME [; FRAME ...] | every off  repeat, one frame in turn"}},
        {"close", {&C::close, true, "close                     close the connection (FIN)"}},
        {"reset", {&C::reset, true, "reset                     reset the connection (RST)"}},
        {"silent", {&C::silent, false, "silent                    stop answering commands"}},
        {"answer", {&C::answer, false, "answer                    answer commands again"}},
        {"delay", {&C::delay, false, "delay MS                  hold each reply MS back"}},
        {"frames", {&C::frames, false, "frames                    list received frames"}},
        {"clear", {&C::clear, false, "clear                     forget received frames"}},
        {"status", {&C::status, false, "status                    one line per reader"}},
        {"log",
         {&C::log, false,
          "log | log add CARD [mode=0|1|2] [time=ISO] [invalid] | log fill N [from=ISO]\n"
          "      [step=S] [card=C] [cards=K] [invalid-every=E] | log clear\n"
          "                            the reader's stored records: count, add, generate"}},
        {"state",
         {&C::state, false, "state                     the reader's settings, one per line"}},
        {"set",
         {&C::set, false,
          "set NAME VALUE            clock ISO|invalid, line1, line2, options, mode,\n"
          "                            locktime, pin, accesspin, controlpin, mark"}},
        {"access", {&C::access, false, "access                    the access table as uploaded"}},
        {"fault",
         {&C::fault, false,
          "fault capacity | fault drop BLOCK | fault count N |\n"
          "      fault short|wrong|silent CODE [BLOCK] [times=N] | fault off\n"
          "                            every second capacity read one more; the connection\n"
          "                            closed instead of answering that log block (once);\n"
          "                            capacity reads announce N records; the commands of\n"
          "                            CODE (hex: 0A, 03, 0704 ...; BLOCK: that log or access\n"
          "                            block) answered N times (once) by their two-byte\n"
          "                            acknowledgement, by a reply to another command, or not\n"
          "                            at all"}},
        {"help", {&C::showHelp, false, "help                      this text"}},
        {"quit", {&C::quit, false, "quit                      end the simulator"}},
    };
    return table;
}

QString ControlInterpreter::help() {
    QString text = QStringLiteral(
        "Control lines (standard input or the control port), answered by data lines and then\n"
        "\"ok\" or \"error TEXT\". \"@PORT\" first addresses that reader, else the first one:\n");
    for (const auto& [name, command] : commands())
        text += QStringLiteral("  ") + command.usage + u'\n';
    return text + QString::fromLatin1(kFrameHelp);
}

QStringList ControlInterpreter::execute(const QString& line) {
    QStringList w = words(line);
    if (w.isEmpty() || w[0].startsWith(u'#')) return {};
    Context c{m_sim.links().front(), false, {}, {}};
    if (w[0].startsWith(u'@')) {
        const auto port = parseNumber(w[0].mid(1), 65535);
        c.link = port ? m_sim.link(quint16(*port)) : nullptr;
        if (!c.link) return {QStringLiteral("error no reader on port ") + w[0].mid(1)};
        c.addressed = true;
        w.removeFirst();
    }
    if (w.isEmpty()) return {QStringLiteral("error missing command")};
    c.name = w.takeFirst();
    c.args = w;
    const auto it = commands().find(c.name);
    if (it == commands().end()) return {QStringLiteral("error unknown command ") + c.name};
    if (it->second.needsConsole && !c.link->isConnected())
        return {QStringLiteral("error no console connected on port %1").arg(c.link->port())};
    auto result = (this->*it->second.handler)(c);
    if (!result) return {QStringLiteral("error ") + result.error().text};
    return *result << QStringLiteral("ok");
}

Result<QStringList> ControlInterpreter::sendFrame(const Context& c) {
    return sendInOneWrite(*c.link, QStringList{c.name} + c.args);
}

Result<QStringList> ControlInterpreter::join(const Context& c) {
    return sendInOneWrite(*c.link, c.args);
}

Result<QStringList> ControlInterpreter::split(const Context& c) {
    const auto size = c.args.size() > 2 ? parseNumber(c.args[0], 65536) : std::nullopt;
    const auto ms = c.args.size() > 2 ? parseNumber(c.args[1], 600000) : std::nullopt;
    if (!size || *size == 0 || !ms) return fail(QStringLiteral("usage: split SIZE MS FRAME"));
    auto bytes = renderAll(c.args.mid(2), c.link->reader());
    if (!bytes) return std::unexpected(bytes.error());
    c.link->sendSplit(*bytes, int(*size), int(*ms));
    return kNoLines;
}

Result<QStringList> ControlInterpreter::every(const Context& c) {
    if (c.args.size() == 1 && c.args[0] == u"off") {
        c.link->repeat(0, {});
        return kNoLines;
    }
    bool ok = false;
    const double secs = c.args.isEmpty() ? 0 : c.args[0].toDouble(&ok);
    if (!ok || secs < 0.01 || secs > 86400)
        return fail(QStringLiteral("usage: every SECONDS FRAME"));
    auto makers = parseFrameDescriptions(c.args.mid(1));
    if (!makers) return std::unexpected(makers.error());
    auto turn = std::make_shared<size_t>(0);
    ReaderLink* link = c.link;
    link->repeat(int(secs * 1000), [link, turn, makers = std::move(*makers)] {
        return makers[(*turn)++ % makers.size()](link->reader());
    });
    return kNoLines;
}

Result<QStringList> ControlInterpreter::close(const Context& c) {
    c.link->closeGracefully();
    return kNoLines;
}

Result<QStringList> ControlInterpreter::reset(const Context& c) {
    c.link->resetConnection();
    return kNoLines;
}

Result<QStringList> ControlInterpreter::silent(const Context& c) {
    c.link->reader().setAnswering(false);
    return kNoLines;
}

Result<QStringList> ControlInterpreter::answer(const Context& c) {
    c.link->reader().setAnswering(true);
    return kNoLines;
}

Result<QStringList> ControlInterpreter::delay(const Context& c) {
    const auto ms = c.args.size() == 1 ? parseNumber(c.args[0], 600000) : std::nullopt;
    if (!ms) return fail(QStringLiteral("usage: delay MS"));
    c.link->reader().setReplyDelayMs(int(*ms));
    return kNoLines;
}

// Without "@PORT" the frames of every reader, in the order they arrived.
Result<QStringList> ControlInterpreter::frames(const Context& c) {
    QStringList lines;
    for (const RecordedFrame& f : m_sim.frames())
        if (!c.addressed || f.port == c.link->port())
            lines << QStringLiteral("frame %1 %2").arg(f.port).arg(toHex(f.wire));
    return lines;
}

Result<QStringList> ControlInterpreter::clear(const Context&) {
    m_sim.clearFrames();
    return kNoLines;
}

Result<QStringList> ControlInterpreter::status(const Context&) {
    QStringList lines;
    auto yesNo = [](bool b) { return b ? QStringLiteral("yes") : QStringLiteral("no"); };
    for (ReaderLink* l : m_sim.links()) {
        SimReader& r = l->reader();
        lines << QStringLiteral("reader %1 connected=%2 answering=%3 locked=%4 dropped=%5 clock=%6")
                     .arg(l->port())
                     .arg(yesNo(l->isConnected()), yesNo(r.answering()), yesNo(r.locked()))
                     .arg(l->droppedFrames())
                     .arg(r.now().toString(Qt::ISODate));
    }
    return lines;
}

Result<QStringList> ControlInterpreter::showHelp(const Context&) {
    return help().split(u'\n', Qt::SkipEmptyParts);
}

Result<QStringList> ControlInterpreter::quit(const Context&) {
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    return kNoLines;
}

}  // namespace tallyport::readersim
