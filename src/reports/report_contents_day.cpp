// The one-day reports: Daily Individual (each person's records of the day by kind) and
// Who's IN / OUT (everybody by the kind of their newest record that day).
#include "reports/report_build.h"
#include "reports/report_texts.h"
#include "store/date_time.h"
#include "store/log_texts.h"

#include <map>

namespace tallyport::report_build {
namespace {

// The day's records of one card (or of all cards when card is 0), in the given order.
Result<Statement> dayQuery(Database& att, const QDate& day, int card, const QString& order) {
    QString sql = QStringLiteral("SELECT CARDNO, SYSTIME, MODE FROM recorder WHERE ");
    if (card != 0) sql += QStringLiteral("CARDNO = ? AND ");
    sql += QStringLiteral("SYSTIME >= ? AND SYSTIME < ? ORDER BY ") + order;
    auto st = att.prepare(sql);
    if (!st) return st;
    const auto [lo, hi] = wholeDayRange(day, day);
    if (card != 0)
        st->bindAll(card, lo, hi);
    else
        st->bindAll(lo, hi);
    return st;
}

Result<std::vector<PunchRecord>> readAll(Statement& st,
                                         std::map<int, std::vector<PunchRecord>>* byCard) {
    std::vector<PunchRecord> out;
    for (;;) {
        auto row = st.step();
        if (!row) return std::unexpected(row.error());
        if (!*row) return out;
        const PunchRecord r{parseStampText(st.text(1)), st.integer(2)};
        if (byCard)
            (*byCard)[st.integer(0)].push_back(r);
        else
            out.push_back(r);
    }
}

const QString kHeadings[] = {QStringLiteral("  CLOCK  -"), QStringLiteral("  IN     -"),
                             QStringLiteral("  OUT    -")};

void dailyBands(Writer& w, const std::vector<PunchRecord>& recs, int n, int format) {
    size_t i = 0;
    for (int category = 0; category < 3; ++category) {
        // Records of a kind before this one are never shown (a kind below CLOCK would
        // otherwise stop every band).
        while (i < recs.size() && recs[i].mode < category) ++i;
        for (bool first = true;; first = false) {
            QString line = first ? kHeadings[category] : QStringLiteral("         -");
            for (int k = 0; k < n && i < recs.size() && recs[i].mode == category; ++k, ++i)
                line += u' ' + recordTimeText(recs[i].time, format);
            w.detail(line);
            if (i >= recs.size() || recs[i].mode != category) break;
        }
    }
}

// The frame of a one-day report: the day on the right.
ReportContents dayReport(const QDate& day, const QString& title) {
    ReportContents rc;
    rc.leftLabel = QStringLiteral("Time Attendance");
    rc.rightLabel = rangeDateText(stampFromDate(day));
    rc.title = title;
    return rc;
}

}  // namespace

Result<ReportContents> buildDaily(const ReportScope& s, const std::vector<PersonRow>& persons,
                                  Database& att) {
    ReportContents rc = dayReport(s.singleDay, QStringLiteral("Daily Individual Report"));
    Writer w(rc, s, false);
    for (const PersonRow& p : persons) {
        auto st = dayQuery(att, s.singleDay, p.cardNo, QStringLiteral("MODE, SYSTIME, rowid"));
        if (!st) return std::unexpected(st.error());
        auto recs = readAll(*st, nullptr);
        if (!recs) return std::unexpected(recs.error());
        w.person(personLine(p) + recordCountText(qint64(recs->size())));
        dailyBands(w, *recs, s.recordsPerLine, s.recordFormat);
    }
    return rc;
}

namespace {

const QString kCategories[] = {QStringLiteral(" Who's CLOCK"), QStringLiteral(" Who's IN"),
                               QStringLiteral(" Who's OUT"), QStringLiteral(" No record")};

// The person's line in category c, or nothing when the person belongs elsewhere.
std::optional<QString> whoLine(const PersonRow& p, const std::vector<PunchRecord>* recs, int c,
                               int format) {
    const bool none = recs == nullptr || recs->empty();
    const int newest = none ? 3 : recs->front().mode;
    if ((none && c != 3) || (!none && newest != c)) return std::nullopt;
    QString line = QStringLiteral("  ") + p.name;
    if (c == 3) return line;
    const PunchRecord& top = recs->front();
    line = PadRight(line, 20) + recordTimeText(top.time, format);
    for (size_t i = 1; i < recs->size(); ++i) {
        const PunchRecord& r = (*recs)[i];
        if (r.mode == c) continue;
        return line + QStringLiteral(" -") + recordTimeText(r.time, format) + u' ' +
               ModeTag(r.mode) + ElapsedText(top.time, r.time);
    }
    return line;
}

}  // namespace

Result<ReportContents> buildWho(const ReportScope& s, const std::vector<PersonRow>& persons,
                                Database& att) {
    ReportContents rc = dayReport(s.singleDay, QStringLiteral("Who's IN / OUT"));
    auto st = dayQuery(att, s.singleDay, 0, QStringLiteral("CARDNO, SYSTIME DESC, rowid DESC"));
    if (!st) return std::unexpected(st.error());
    std::map<int, std::vector<PunchRecord>> byCard;
    if (auto r = readAll(*st, &byCard); !r) return std::unexpected(r.error());
    Writer w(rc, s);
    for (int c = 0; c < 4; ++c) {
        w.person(kCategories[c]);
        int listed = 0;
        for (const PersonRow& p : persons) {
            const auto it = byCard.find(p.cardNo);
            const auto line =
                whoLine(p, it == byCard.end() ? nullptr : &it->second, c, s.recordFormat);
            if (!line) continue;
            w.detail(*line);
            ++listed;
        }
        w.total(listed == 0   ? QStringLiteral(" No person")
                : listed == 1 ? QStringLiteral(" 1 person")
                              : QStringLiteral(" %1 persons").arg(listed));
    }
    return rc;
}

}  // namespace tallyport::report_build
