#include "store/log_export.h"

#include "base/long_work.h"
#include "store/date_time.h"
#include "store/log_texts.h"
#include "store/messages.h"
#include "store/output_guard.h"
#include "store/schema.h"

#include <QSaveFile>
#include <algorithm>

namespace tallyport {
namespace {

constexpr int kRowsPerCheck = 4096;  // rows between looks at Cancel and the progress
constexpr qsizetype kWriteChunk = 1 << 20;

Error databaseError(const Error& e) {
    return Error{msg::DatabaseError + QLatin1Char('\n') + e.text};
}

QByteArray quotedPair(const QString& a, const QString& b) {
    return " \"" + a.toUtf8() + "\" \"" + b.toUtf8() + '"';
}

int digits(QStringView s, qsizetype at, int n) {
    int v = 0;
    for (int i = 0; i < n; ++i) {
        const char16_t c = s[at + i].unicode();
        if (c < u'0' || c > u'9') return -1;
        v = v * 10 + (c - u'0');
    }
    return v;
}

}  // namespace

Result<LogNames> LogNames::read(Database& src) {
    LogNames names;
    auto holders =
        src.query(QStringLiteral("SELECT staffs.CARDNO, staffs.NAME, gid.descx FROM staffs "
                                 "LEFT JOIN gid ON gid.id = staffs.WORKGRP"),
                  [](const Statement& st) {
                      return std::pair{st.integer(0), Holder{st.text(1), st.text(2), {}}};
                  });
    if (!holders) return std::unexpected(databaseError(holders.error()));
    // The quoted pair of the text lines is made once per holder: a log of two million rows
    // names the same few hundred holders again and again.
    for (auto& [card, h] : *holders) {
        h.quoted = quotedPair(h.name, h.group);
        names.m_holders.insert(card, std::move(h));
    }
    names.m_lockTexts = QStringList(kReaderCount + 1, QString());
    names.m_lockTexts[0] = tallyport::lockText(0, {});
    auto readers =
        src.query(QStringLiteral("SELECT PortNo, \"desc\" FROM reader"), [](const Statement& st) {
            return std::pair{st.integer(0), st.text(1)};
        });
    if (!readers) return std::unexpected(databaseError(readers.error()));
    for (const auto& [port, desc] : *readers)
        if (port >= 1 && port <= kReaderCount) names.m_lockTexts[port] = desc;
    return names;
}

const LogNames::Holder* LogNames::holder(int cardNo) const {
    const auto it = m_holders.constFind(cardNo);
    return it == m_holders.constEnd() ? nullptr : &*it;
}

const QString& LogNames::lockText(int value) const {
    return value >= 0 && value <= kReaderCount ? m_lockTexts[value] : m_error;
}

std::optional<StoredTime> parseStoredTime(QStringView text) {
    if (text.size() < 19 || text[4] != u'-' || text[7] != u'-' || text[10] != u' ')
        return std::nullopt;
    const int y = digits(text, 0, 4), mo = digits(text, 5, 2), d = digits(text, 8, 2);
    const int h = digits(text, 11, 2), mi = digits(text, 14, 2), s = digits(text, 17, 2);
    const int ms = text.size() >= 23 ? digits(text, 20, 3) : 0;
    if (y < 0 || mo < 1 || mo > 12 || d < 1 || d > 31 || h < 0 || h > 23 || mi < 0 || mi > 59 ||
        s < 0 || s > 59 || ms < 0)
        return std::nullopt;
    return StoredTime{y, mo, d, ((h * 60 + mi) * 60 + s) * 1000LL + ms};
}

Result<qint64> walkLog(Database& att, const std::optional<LogDays>& days, qint64 total,
                       WorkContext* work,
                       const std::function<Result<void>(const LogExportRow&)>& each) {
    // Whole days, bounded by the stored texts of their midnights.
    QStringList where;
    QStringList bounds;
    if (days && days->from.isValid()) {
        where << QStringLiteral("SYSTIME >= ?");
        bounds << wholeDayRange(days->from, days->from).first;
    }
    if (days && days->to.isValid()) {
        where << QStringLiteral("SYSTIME < ?");
        bounds << wholeDayRange(days->to, days->to).second;
    }
    QString sql = QStringLiteral("SELECT SYSTIME, CARDNO, MODE, READER, LOCK FROM recorder");
    if (!where.isEmpty()) sql += QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "));
    // The order of the (SYSTIME, CARDNO) index: "SYSTIME, rowid" would sort every row again.
    auto st = att.prepare(sql + QStringLiteral(" ORDER BY SYSTIME, CARDNO"));
    if (!st) return std::unexpected(databaseError(st.error()));
    for (int i = 0; i < bounds.size(); ++i) st->bind(i + 1, bounds[i]);
    LogExportRow row;
    for (qint64 n = 0;; ++n) {
        if (work && n % kRowsPerCheck == 0) {
            if (work->cancelled()) return fail(kWorkCancelled);
            work->setProgress(n, total);
        }
        auto more = st->step();
        if (!more) return std::unexpected(databaseError(more.error()));
        if (!*more) return n;
        row.sysTime = st->text(0);
        row.cardNo = st->integer(1);
        row.mode = st->integer(2);
        row.reader = st->integer(3);
        row.lock = st->integer(4);
        if (auto r = each(row); !r) return std::unexpected(r.error());
    }
}

namespace {

char* putDigits(char* p, qint64 value, int width) {
    char* end = p + width;
    for (char* q = end; q != p; value /= 10) *--q = char('0' + value % 10);
    return end;
}

// " %.9d": at least nine digits, the minus sign before them.
char* putCardNumber(char* p, qint64 card) {
    *p++ = ' ';
    if (card < 0) *p++ = '-';
    const qint64 v = card < 0 ? -card : card;
    int width = 9;
    for (qint64 rest = v / 1'000'000'000; rest > 0; rest /= 10) ++width;
    return putDigits(p, v, width);
}

const QByteArray& modePart(int mode) {
    static const QByteArray parts[] = {" {CLOCK}\r\n", " {IN}\r\n", " {OUT}\r\n", " {N/A}\r\n"};
    return parts[mode >= ModeClock && mode <= ModeOut ? mode : 3];
}

}  // namespace

// Formatted by hand: two million lines through printf cost seconds.
void appendLogTextLine(QByteArray& out, const LogExportRow& row, const LogNames& names) {
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char line[48];
    char* p = line;
    if (const auto t = parseStoredTime(row.sysTime)) {
        const qint64 s = t->msOfDay / 1000;
        p = putDigits(p, t->year, 4);
        *p++ = '/';
        p = std::copy_n(kMonths[t->month - 1], 3, p);
        *p++ = '/';
        p = putDigits(p, t->day, 2);
        *p++ = ' ';
        p = putDigits(p, s / 3600, 2);
        *p++ = ':';
        p = putDigits(p, s / 60 % 60, 2);
        *p++ = ':';
        p = putDigits(p, s % 60, 2);
        out.append(line, p - line);
    } else {
        out += row.sysTime.toUtf8();  // not a date-time: shown as it is stored
    }
    p = putCardNumber(line, row.cardNo);
    out.append(line, p - line);
    static const QByteArray noHolder = quotedPair(kNoName, kNoGroup);
    const LogNames::Holder* h = names.holder(row.cardNo);
    out += h ? h->quoted : noHolder;
    out += modePart(row.mode);
}

Result<qint64> writeLogText(Database& att, Database& src, const QString& path,
                            const std::optional<LogDays>& days, qint64 total, WorkContext* work) {
    if (auto own = checkOutputTarget(path); !own) return std::unexpected(own.error());
    const auto names = LogNames::read(src);
    if (!names) return std::unexpected(names.error());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return fail(kFileLocked);
    QByteArray buffer;
    buffer.reserve(kWriteChunk + 512);
    auto flush = [&]() -> Result<void> {
        const bool ok = file.write(buffer) == buffer.size();
        buffer.clear();
        if (!ok) return fail(kFileLocked);
        return {};
    };
    const auto rows = walkLog(att, days, total, work, [&](const LogExportRow& row) {
        appendLogTextLine(buffer, row, *names);
        return buffer.size() >= kWriteChunk ? flush() : Result<void>{};
    });
    if (!rows) return rows;
    if (*rows == 0) return fail(msg::NoRecord);
    if (!flush() || !file.commit()) return fail(kFileLocked);
    return rows;
}

}  // namespace tallyport
