#include "frame_description.h"

#include "frames.h"
#include "sim_reader.h"

#include <map>

namespace tallyport::readersim {

const char* const kFrameHelp =
    "Frames (FRAME below):\n"
    "  card 6|11|13 CARD [mode=M] [offline] [time=YYYY-MM-DDTHH:MM:SS | stamp=N]\n"
    "      a card read: 6 bytes without time, 11 bytes or 13 bytes (type 12) with the\n"
    "      reader's clock unless time/stamp is given; M is 0..127, offline sets bit 7\n"
    "  code C        key/status code: one character (C R P p 0 1 2 B G ...) or 0xNN\n"
    "  echo          the heartbeat echo F5 04 00 0C F0 FA, unasked\n"
    "  reply HEX     a reply frame around the body HEX (length and checksum added)\n"
    "  hex HEX...    raw bytes, e.g. hex F5 06 00 00 00 30 39 97 FA\n"
    "  garbage N [seed=S]  N bytes of noise, never 0xF5\n";

std::optional<uint32_t> parseNumber(const QString& text, uint32_t max) {
    bool ok = false;
    const bool hex = text.startsWith(u"0x", Qt::CaseInsensitive);
    const qulonglong v = hex ? text.mid(2).toULongLong(&ok, 16) : text.toULongLong(&ok, 10);
    if (!ok || v > max) return std::nullopt;
    return uint32_t(v);
}

namespace {

using Parser = Result<FrameMaker> (*)(const QStringList& args);

Result<bool> applyCardOption(const QString& opt, CardRead& read) {
    if (opt == u"offline") return read.offline = true;
    const QString value = opt.section(u'=', 1);
    if (opt.startsWith(u"mode=")) {
        const auto m = parseNumber(value, 127);
        if (!m) return fail(QStringLiteral("mode must be 0..127"));
        read.mode = uint8_t(*m);
    } else if (opt.startsWith(u"stamp=")) {
        read.stamp = parseNumber(value, 0xFFFFFFFFu);
        if (!read.stamp) return fail(QStringLiteral("stamp must be a 32-bit number"));
    } else if (opt.startsWith(u"time=")) {
        const QDateTime t = QDateTime::fromString(value, Qt::ISODate);
        if (!t.isValid() || t.date().year() < 2000)
            return fail(QStringLiteral("bad time ") + value);
        read.stamp = encodeStamp(t);
    } else {
        return fail(QStringLiteral("unknown card option ") + opt);
    }
    return true;
}

Result<FrameMaker> parseCard(const QStringList& args) {
    if (args.size() < 2) return fail(QStringLiteral("usage: card 6|11|13 CARD [options]"));
    CardRead read;
    if (args[0] == u"6")
        read.form = CardForm::Short6;
    else if (args[0] == u"11")
        read.form = CardForm::Stamped11;
    else if (args[0] == u"13")
        read.form = CardForm::Long13;
    else
        return fail(QStringLiteral("card form must be 6, 11 or 13"));
    const auto card = parseNumber(args[1], kMaxCard);
    if (!card) return fail(QStringLiteral("card must be 0..16777215"));
    read.card = *card;
    for (const QString& opt : args.mid(2))
        if (auto ok = applyCardOption(opt, read); !ok) return std::unexpected(ok.error());
    return [read](const SimReader& r) { return cardFrame(read, r.stamp()); };
}

// One ASCII character stands for itself ("0" is 0x30), anything longer must be 0xNN.
Result<FrameMaker> parseCode(const QStringList& args) {
    const QString c = args.value(0);
    std::optional<uint32_t> code;
    if (c.size() == 1 && c[0].unicode() < 0x80)
        code = c[0].unicode();
    else if (c.startsWith(u"0x", Qt::CaseInsensitive))
        code = parseNumber(c, 0xFF);
    if (args.size() != 1 || !code)
        return fail(QStringLiteral("usage: code C (one character or 0xNN)"));
    return [b = uint8_t(*code)](const SimReader&) { return codeFrame(b); };
}

Result<FrameMaker> parseEcho(const QStringList& args) {
    if (!args.isEmpty()) return fail(QStringLiteral("usage: echo"));
    return [](const SimReader&) { return replyFrame(QByteArray::fromHex("000C")); };
}

Result<FrameMaker> parseHexBytes(const QStringList& args, bool asReplyBody) {
    const auto bytes = fromHex(args.join(u' '));
    if (!bytes || (bytes->isEmpty() && !asReplyBody)) return fail(QStringLiteral("bad hex bytes"));
    if (asReplyBody && bytes->size() > 125)
        return fail(QStringLiteral("a reply body holds at most 125 bytes"));
    const QByteArray wire = asReplyBody ? replyFrame(*bytes) : *bytes;
    return [wire](const SimReader&) { return wire; };
}

Result<FrameMaker> parseGarbage(const QStringList& args) {
    static uint32_t nextSeed = 1;
    const auto count = args.isEmpty() ? std::nullopt : parseNumber(args[0], 65536);
    if (!count || *count == 0 || args.size() > 2)
        return fail(QStringLiteral("usage: garbage N [seed=S]"));
    uint32_t seed = nextSeed++;
    if (args.size() == 2) {
        const auto s =
            args[1].startsWith(u"seed=") ? parseNumber(args[1].mid(5), 0xFFFFFFFFu) : std::nullopt;
        if (!s) return fail(QStringLiteral("usage: garbage N [seed=S]"));
        seed = *s;
    }
    const QByteArray wire = garbageBytes(int(*count), seed);
    return [wire](const SimReader&) { return wire; };
}

const std::map<QString, Parser>& parsers() {
    static const std::map<QString, Parser> table{
        {QStringLiteral("card"), &parseCard},
        {QStringLiteral("code"), &parseCode},
        {QStringLiteral("echo"), &parseEcho},
        {QStringLiteral("reply"), [](const QStringList& a) { return parseHexBytes(a, true); }},
        {QStringLiteral("hex"), [](const QStringList& a) { return parseHexBytes(a, false); }},
        {QStringLiteral("garbage"), &parseGarbage},
    };
    return table;
}

}  // namespace

Result<FrameMaker> parseFrameDescription(const QStringList& tokens) {
    if (tokens.isEmpty()) return fail(QStringLiteral("missing frame"));
    const auto it = parsers().find(tokens[0]);
    if (it == parsers().end()) return fail(QStringLiteral("unknown frame ") + tokens[0]);
    return it->second(tokens.mid(1));
}

Result<std::vector<FrameMaker>> parseFrameDescriptions(const QStringList& tokens) {
    std::vector<FrameMaker> makers;
    QStringList current;
    for (qsizetype i = 0; i <= tokens.size(); ++i) {
        if (i < tokens.size() && tokens[i] != u";") {
            current.append(tokens[i]);
            continue;
        }
        auto maker = parseFrameDescription(current);
        if (!maker) return std::unexpected(maker.error());
        makers.push_back(std::move(*maker));
        current.clear();
    }
    return makers;
}

}  // namespace tallyport::readersim
