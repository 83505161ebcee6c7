// Control lines about the simulated reader's own state: its stored log, its settings, the
// access table it was sent, and faults on request.
#include "control.h"
#include "frame_description.h"
#include "frames.h"
#include "simulator.h"

namespace tallyport::readersim {

namespace {

const QStringList kNone;

// "key=value" options after the positional words.
std::map<QString, QString> options(const QStringList& words, QStringList& flags) {
    std::map<QString, QString> out;
    for (const QString& w : words) {
        const qsizetype eq = w.indexOf(u'=');
        if (eq > 0)
            out[w.left(eq)] = w.mid(eq + 1);
        else
            flags << w;
    }
    return out;
}

uint8_t kindOfMode(uint32_t mode) {
    return mode == 1 ? 0 : mode == 2 ? 1 : 2;  // IN 00, OUT 01, clock 10
}

Result<StoredRecord> recordOf(const QStringList& args) {
    const auto card = args.isEmpty() ? std::nullopt : parseNumber(args[0], kMaxCard);
    if (!card) return fail(QStringLiteral("usage: log add CARD [mode=M] [time=ISO] [invalid]"));
    QStringList flags;
    auto opts = options(args.mid(1), flags);
    const auto mode = parseNumber(opts.count("mode") ? opts["mode"] : QStringLiteral("1"), 2);
    if (!mode) return fail(QStringLiteral("mode must be 0, 1 or 2"));
    QDateTime t = QDateTime::currentDateTime();
    if (opts.count("time")) t = QDateTime::fromString(opts["time"], Qt::ISODate);
    if (!t.isValid() || t.date().year() < 2000) return fail(QStringLiteral("bad time"));
    const bool invalid = flags.contains(QStringLiteral("invalid"));
    return StoredRecord{kindOfMode(*mode), *card, invalid ? 0u : encodeStamp(t)};
}

struct Fill {
    uint32_t count = 0;
    QDateTime from;
    uint32_t step = 60;
    uint32_t card = 1;
    uint32_t cards = 500;
    uint32_t invalidEvery = 0;
};

Result<Fill> fillOf(const QStringList& args) {
    Fill f;
    const auto n = args.isEmpty() ? std::nullopt : parseNumber(args[0], SimReader::kMaxRecords);
    if (!n) return fail(QStringLiteral("usage: log fill N (N up to 67584) [options]"));
    f.count = *n;
    QStringList flags;
    auto opts = options(args.mid(1), flags);
    f.from = opts.count("from") ? QDateTime::fromString(opts["from"], Qt::ISODate)
                                : QDateTime(QDate(2024, 1, 1), QTime(8, 0));
    if (!f.from.isValid() || !flags.isEmpty()) return fail(QStringLiteral("bad fill options"));
    for (auto [key, field, max] :
         {std::tuple{"step", &f.step, 86400u}, std::tuple{"card", &f.card, kMaxCard},
          std::tuple{"cards", &f.cards, kMaxCard},
          std::tuple{"invalid-every", &f.invalidEvery, 100000u}}) {
        if (!opts.count(key)) continue;
        const auto v = parseNumber(opts[key], max);
        if (!v) return fail(QStringLiteral("bad value for ") + key);
        *field = *v;
    }
    if (f.cards == 0) f.cards = 1;
    return f;
}

}  // namespace

Result<QStringList> ControlInterpreter::log(const Context& c) {
    SimReader& r = c.link->reader();
    const QString what = c.args.value(0);
    if (what == u"add") {
        auto rec = recordOf(c.args.mid(1));
        if (!rec) return std::unexpected(rec.error());
        if (!r.store(*rec)) return fail(QStringLiteral("the log is full"));
    } else if (what == u"fill") {
        auto f = fillOf(c.args.mid(1));
        if (!f) return std::unexpected(f.error());
        for (uint32_t i = 0; i < f->count; ++i) {
            const bool invalid = f->invalidEvery != 0 && (i + 1) % f->invalidEvery == 0;
            const QDateTime t = f->from.addSecs(qint64(i) * f->step);
            if (!r.store({uint8_t(i % 2), f->card + i % f->cards, invalid ? 0u : encodeStamp(t)}))
                return fail(QStringLiteral("the log is full"));
        }
    } else if (what == u"clear") {
        r.clearLog();
    } else if (!what.isEmpty()) {
        return fail(QStringLiteral("usage: log [add ...|fill ...|clear]"));
    }
    return QStringList{QStringLiteral("log records=%1 mark=%2").arg(r.log().size()).arg(r.mark())};
}

Result<QStringList> ControlInterpreter::state(const Context& c) {
    return c.link->reader().describeState();
}

Result<QStringList> ControlInterpreter::set(const Context& c) {
    if (c.args.size() < 2) return fail(QStringLiteral("usage: set NAME VALUE"));
    if (auto e = c.link->reader().set(c.args[0], c.args.mid(1).join(u' '))) return fail(*e);
    return kNone;
}

// "access blocks=N entries=M", then one line per entry that holds a card.
Result<QStringList> ControlInterpreter::access(const Context& c) {
    const auto& table = c.link->reader().accessTable();
    QStringList lines;
    int entries = 0;
    for (const auto& [block, bytes] : table) {
        for (int i = 0; i + 22 <= bytes.size(); i += 22) {
            const QByteArray e = bytes.mid(i, 22);
            const uint32_t card = uint8_t(e[1]) << 16 | uint8_t(e[2]) << 8 | uint8_t(e[3]);
            if (card == kMaxCard && uint8_t(e[0]) == 0xFF) continue;
            ++entries;
            lines << QStringLiteral("entry %1 allowed=%2 card=%3 name=\"%4\"")
                         .arg(block * 12 + i / 22)
                         .arg(uint8_t(e[0]))
                         .arg(card)
                         .arg(QString::fromLatin1(e.mid(6, 16)));
        }
    }
    lines.prepend(QStringLiteral("access blocks=%1 entries=%2").arg(table.size()).arg(entries));
    return lines;
}

namespace {

const std::map<QString, SimReader::ReplyFault::Kind> kReplyFaults{
    {QStringLiteral("short"), SimReader::ReplyFault::Kind::Short},
    {QStringLiteral("wrong"), SimReader::ReplyFault::Kind::Wrong},
    {QStringLiteral("silent"), SimReader::ReplyFault::Kind::Silent},
};

// short|wrong|silent CODE [BLOCK] [times=N]; CODE in hex: the code, maybe the sub-code.
Result<SimReader::ReplyFault> replyFaultOf(const QStringList& args) {
    const QString usage = QStringLiteral("usage: fault short|wrong|silent CODE [BLOCK] [times=N]");
    QStringList words;
    auto opts = options(args.mid(1), words);
    SimReader::ReplyFault f;
    f.kind = kReplyFaults.at(args[0]);
    const auto head = fromHex(words.value(0));
    if (!head || head->isEmpty() || words.size() > 2 ||
        opts.size() > (opts.count("times") ? 1u : 0u))
        return fail(usage);
    f.head = *head;
    if (words.size() == 2) {
        const auto block = parseNumber(words[1], 0xFFFF);
        if (!block) return fail(usage);
        f.block = int(*block);
    }
    if (opts.count("times")) {
        const auto times = parseNumber(opts["times"], 1000000);
        if (!times || *times == 0) return fail(usage);
        f.times = int(*times);
    }
    return f;
}

}  // namespace

Result<QStringList> ControlInterpreter::fault(const Context& c) {
    SimReader& r = c.link->reader();
    const QString what = c.args.value(0);
    if (kReplyFaults.count(what) && c.args.size() >= 2) {
        auto f = replyFaultOf(c.args);
        if (!f) return std::unexpected(f.error());
        r.addReplyFault(*f);
    } else if (what == u"capacity" && c.args.size() == 1) {
        r.setCapacityFault(true);
    } else if (what == u"drop" && c.args.size() == 2) {
        const auto block = parseNumber(c.args[1], SimReader::kLogBlocks - 1);
        if (!block) return fail(QStringLiteral("usage: fault drop BLOCK"));
        r.setDropAtBlock(int(*block));
    } else if (what == u"count" && c.args.size() == 2) {
        const auto count = parseNumber(c.args[1], 0xFFFF);
        if (!count) return fail(QStringLiteral("usage: fault count N"));
        r.setAnnouncedCount(int(*count));
    } else if (what == u"off" && c.args.size() == 1) {
        r.clearFaults();
    } else {
        return fail(
            QStringLiteral("usage: fault capacity | fault drop BLOCK | fault count N | "
                           "fault short|wrong|silent CODE [BLOCK] [times=N] | fault off"));
    }
    return kNone;
}

}  // namespace tallyport::readersim
