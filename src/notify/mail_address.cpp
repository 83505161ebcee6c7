#include "notify/mail_address.h"

#include <QList>
#include <QStringList>

namespace tallyport {
namespace {

constexpr int kLineLength = 76;  // a header line's length before it is folded (at most 78)
// "=?UTF-8?B?" + base64 + "?=" is at most 75 characters: 60 characters of base64, 45 bytes.
constexpr int kEncodedBytes = 45;
const QByteArray kEncodedStart = QByteArrayLiteral("=?UTF-8?B?");
const QByteArray kEncodedEnd = QByteArrayLiteral("?=");
constexpr char kSpecials[] = "()<>@,;:\\\".[]";

bool isControl(QChar c) {
    return c.unicode() < 0x20 || c.unicode() == 0x7f || c.category() == QChar::Other_Control ||
           c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

bool isAscii(const QString& word) {
    for (const QChar c : word)
        if (c.unicode() > 126) return false;
    return true;
}

bool validAddress(const QString& a) {
    const qsizetype at = a.indexOf(QLatin1Char('@'));
    if (at <= 0 || at != a.lastIndexOf(QLatin1Char('@')) || at == a.size() - 1) return false;
    for (const QChar c : a)
        if (c.unicode() <= 32 || c.unicode() > 126 ||
            QByteArray("<>()[]\\,;:\"").contains(char(c.unicode())))
            return false;
    const QString domain = a.mid(at + 1);
    return !domain.startsWith(QLatin1Char('.')) && !domain.endsWith(QLatin1Char('.')) &&
           !domain.contains(QStringLiteral(".."));
}

// Encoded words for a run of text, each of at most kEncodedBytes bytes of UTF-8 and never
// splitting a character; a reader joins adjacent encoded words without the blanks between
// them.
QList<QByteArray> encodedWords(const QString& text) {
    QList<QByteArray> out;
    QByteArray chunk;
    for (qsizetype i = 0; i < text.size(); ++i) {
        qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QByteArray bytes = text.mid(i, n).toUtf8();
        i += n - 1;
        if (chunk.size() + bytes.size() > kEncodedBytes) {
            out << kEncodedStart + chunk.toBase64() + kEncodedEnd;
            chunk.clear();
        }
        chunk += bytes;
    }
    if (!chunk.isEmpty()) out << kEncodedStart + chunk.toBase64() + kEncodedEnd;
    return out;
}

// The tokens of a text: runs of words that must be encoded become encoded words (the blanks
// between such words inside them), the other words stay as they are.
template <typename NeedsEncoding>
QList<QByteArray> tokens(const QString& text, NeedsEncoding needsEncoding) {
    const QStringList words = text.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QList<QByteArray> out;
    QString run;
    const auto endRun = [&] {
        if (!run.isEmpty()) out << encodedWords(run);
        run.clear();
    };
    for (const QString& w : words) {
        if (needsEncoding(w)) {
            run += run.isEmpty() ? w : QLatin1Char(' ') + w;
            continue;
        }
        endRun();
        out << w.toLatin1();
    }
    endRun();
    return out;
}

// Joins tokens with blanks, folding (CR LF and a blank) before a token that would pass the
// line's length.
QByteArray folded(qsizetype used, const QList<QByteArray>& parts) {
    QByteArray out;
    qsizetype line = used;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0) {
            if (line + 1 + parts[i].size() > kLineLength) {
                out += "\r\n";
                line = 0;
            }
            out += ' ';
            ++line;
        }
        out += parts[i];
        line += parts[i].size();
    }
    return out;
}

QString withoutControls(QString text) {
    for (QChar& c : text)
        if (isControl(c)) c = QLatin1Char(' ');
    return text;
}

}  // namespace

std::optional<MailAddress> parseMailAddress(const QString& text) {
    for (const QChar c : text)
        if (isControl(c)) return std::nullopt;
    const QString t = text.trimmed();
    MailAddress m;
    const qsizetype open = t.indexOf(QLatin1Char('<'));
    if (open < 0) {
        m.address = t;
    } else {
        if (!t.endsWith(QLatin1Char('>')) || t.indexOf(QLatin1Char('<'), open + 1) >= 0)
            return std::nullopt;
        m.address = t.mid(open + 1, t.size() - open - 2).trimmed();
        m.display = t.left(open).trimmed();
        if (m.display.size() >= 2 && m.display.startsWith(QLatin1Char('"')) &&
            m.display.endsWith(QLatin1Char('"')))
            m.display = m.display.mid(1, m.display.size() - 2);
        if (m.display.contains(QLatin1Char('"')) || m.display.contains(QLatin1Char('>')) ||
            m.display.contains(QLatin1Char('\\')))
            return std::nullopt;
    }
    if (!validAddress(m.address)) return std::nullopt;
    return m;
}

QByteArray unstructuredHeader(const QString& name, const QString& text) {
    return folded(name.size() + 2, tokens(withoutControls(text), [](const QString& w) {
                      return !isAscii(w) || w.startsWith(QLatin1String("=?"));
                  }));
}

QByteArray mailboxHeader(const QString& name, const QList<MailAddress>& mailboxes) {
    QList<QByteArray> parts;
    for (qsizetype i = 0; i < mailboxes.size(); ++i) {
        const MailAddress& m = mailboxes[i];
        const QByteArray address = m.address.toLatin1();
        QList<QByteArray> mine;
        const QString display = m.display.simplified();
        if (display.isEmpty()) {
            mine << address;
        } else if (isAscii(display)) {
            // A quoted string keeps the specials of a name ("Smith, John") from meaning anything.
            mine << '"' + display.toLatin1() + '"' << '<' + address + '>';
        } else {
            mine << tokens(display, [](const QString& w) {
                for (const char c : kSpecials)
                    if (c && w.contains(QLatin1Char(c))) return true;
                return !isAscii(w) || w.startsWith(QLatin1String("=?"));
            });
            mine << '<' + address + '>';
        }
        if (i + 1 < mailboxes.size()) mine.last() += ',';
        parts << mine;
    }
    return folded(name.size() + 2, parts);
}

}  // namespace tallyport
