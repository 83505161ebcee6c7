#include "reports/report_scope.h"

#include "reports/report_texts.h"
#include "staff/groups.h"
#include "staff/pick_list.h"
#include "store/date_time.h"
#include "store/setting_names.h"
#include "store/settings.h"

namespace tallyport {
namespace {

qint64 readTime(const QString& name, int h, int m) {
    return timeOfDayMs(ReadSettingTime(name, QTime(h, m)));
}

Session readSession(const QString& start, const QString& end, QTime s, QTime e) {
    return {readTime(start, s.hour(), s.minute()), readTime(end, e.hour(), e.minute())};
}

QDate readDate(const QString& name) {
    return QDate::fromString(ReadSettingText(name, QString()), Qt::ISODate);
}

void readHours(ScopeDialog dialog, WorkingHours& h) {
    using namespace setting;
    if (dialog == ScopeDialog::OneSession) {
        h.standard = readSession(LastStdStart, LastStdEnd, QTime(9, 0), QTime(17, 0));
        h.satOn = ReadSettingBool(LastSatEnable, false);
        h.saturday = readSession(LastSatStart, LastSatEnd, QTime(9, 0), QTime(13, 0));
    } else {
        h.session1 = readSession(LastStdStart1, LastStdEnd1, QTime(9, 0), QTime(13, 0));
        h.session2 = readSession(LastStdStart2, LastStdEnd2, QTime(14, 0), QTime(17, 30));
        h.sat1On = ReadSettingBool(LastSatEnable1, false);
        h.sat2On = ReadSettingBool(LastSatEnable2, false);
        h.sat1 = readSession(LastSatStart1, LastSatEnd1, QTime(9, 0), QTime(13, 0));
        h.sat2 = readSession(LastSatStart2, LastSatEnd2, QTime(14, 0), QTime(15, 30));
    }
    h.otMinimum = ReadSettingInt(LastOtMinimum, 15);
    h.otMultiple = ReadSettingInt(LastOtMultiple, 5);
    h.otFree = ReadSettingInt(LastOtFree, 0);
}

// The range last confirmed; a missing or unreadable date stays on today.
void readRange(ReportScope& s) {
    const QDate from = readDate(setting::PrintDateFrom);
    const QDate to = readDate(setting::PrintDateTo);
    if (from.isValid()) s.from = from;
    if (to.isValid()) s.to = to;
}

// Stored as 2 × choice + 2; anything else opens on "4".
int recordsPerLine(int stored) {
    return stored == 2 || stored == 4 || stored == 6 || stored == 8 ? stored : 4;
}

}  // namespace

ReportScope readScopeDefaults(ScopeDialog dialog, const QDate& today) {
    using namespace setting;
    ReportScope s;
    const bool late = isLateDialog(dialog);
    s.from = s.to = s.singleDay = today;
    const int range = ReadSettingInt(PrintDateRange, 0);
    if (dialog != ScopeDialog::Who && range >= 0 && range <= 5) s.dateChoice = DateChoice(range);
    const int persons = ReadSettingInt(PrintPersons, 0);
    if (late && persons >= 0 && persons <= 2) s.persons = PersonsChoice(persons);
    s.groupName = ReadSettingText(PrintGroup, QString());
    if (dialog != ScopeDialog::Who) {
        readRange(s);
        s.blankLines = ReadSettingBool(PrintBlankLines, false);
        s.firstInLastOutOnly = ReadSettingBool(PrintFILO, false);
        const int rec = ReadSettingInt(PrintRecordsScope, 0);
        s.records = rec >= 0 && rec <= 2 ? RecordsOfInterest(rec) : RecordsOfInterest::All;
    }
    s.newPage = ReadSettingBool(PrintBreakPage, dialog == ScopeDialog::Who);
    s.enhanced = ReadSettingBool(PrintEnhance, true);
    s.previewOnly = ReadSettingBool(PrintPreviewOnly, true);
    s.recordsPerLine = recordsPerLine(ReadSettingInt(PrintRecordsPerLine, 4));
    const int format = ReadSettingInt(PrintRecordsFormat, 0);
    s.recordFormat = format >= 0 && format < kRecordFormatCount ? format : 0;
    if (late) readHours(dialog, s.hours);
    return s;
}

namespace {

QTime timeOf(qint64 ms) {
    return QTime::fromMSecsSinceStartOfDay(int(ms));
}

void writeSession(const QString& start, const QString& end, const Session& s) {
    WriteSettingTime(start, timeOf(s.start));
    WriteSettingTime(end, timeOf(s.end));
}

void writeHours(ScopeDialog dialog, const WorkingHours& h) {
    using namespace setting;
    if (dialog == ScopeDialog::OneSession) {
        writeSession(LastStdStart, LastStdEnd, h.standard);
        WriteSettingBool(LastSatEnable, h.satOn);
        writeSession(LastSatStart, LastSatEnd, h.saturday);
    } else {
        writeSession(LastStdStart1, LastStdEnd1, h.session1);
        writeSession(LastStdStart2, LastStdEnd2, h.session2);
        WriteSettingBool(LastSatEnable1, h.sat1On);
        WriteSettingBool(LastSatEnable2, h.sat2On);
        writeSession(LastSatStart1, LastSatEnd1, h.sat1);
        writeSession(LastSatStart2, LastSatEnd2, h.sat2);
    }
    WriteSettingInt(LastOtMinimum, h.otMinimum);
    WriteSettingInt(LastOtMultiple, h.otMultiple);
    WriteSettingInt(LastOtFree, h.otFree);
}

bool badSession(const Session& s) {
    return !timeAfter(s.end, s.start);
}

}  // namespace

void writeScopeSettings(ScopeDialog dialog, const ReportScope& s) {
    using namespace setting;
    const bool late = isLateDialog(dialog);
    if (dialog != ScopeDialog::Who) {
        WriteSettingInt(PrintDateRange, int(s.dateChoice));
        WriteSettingBool(PrintBlankLines, s.blankLines);
        WriteSettingBool(PrintFILO, s.firstInLastOutOnly);
        WriteSettingInt(PrintRecordsScope, int(s.records));
    }
    if (late) WriteSettingInt(PrintPersons, int(s.persons));
    // The group and the range as confirmed: the next dialog opens on them, whichever report.
    if (s.persons == PersonsChoice::Group && !s.groupName.isEmpty())
        WriteSettingText(PrintGroup, s.groupName);
    if (dialog != ScopeDialog::Who && s.dateChoice == DateChoice::Range) {
        WriteSettingText(PrintDateFrom, s.from.toString(Qt::ISODate));
        WriteSettingText(PrintDateTo, s.to.toString(Qt::ISODate));
    }
    WriteSettingBool(PrintBreakPage, s.newPage);
    WriteSettingBool(PrintEnhance, s.enhanced);
    WriteSettingBool(PrintPreviewOnly, s.previewOnly);
    if (!late) WriteSettingInt(PrintRecordsPerLine, s.recordsPerLine);
    WriteSettingInt(PrintRecordsFormat, s.recordFormat);
    if (late) writeHours(dialog, s.hours);
}

std::optional<ScopeField> firstInvalidField(ScopeDialog dialog, const ReportScope& s) {
    const WorkingHours& h = s.hours;
    if (!isLateDialog(dialog)) return std::nullopt;
    if (s.dateChoice == DateChoice::Range && s.to < s.from) return ScopeField::From;
    if (dialog == ScopeDialog::OneSession) {
        if (badSession(h.standard)) return ScopeField::Standard;
        if (h.satOn && badSession(h.saturday)) return ScopeField::Saturday;
        return std::nullopt;
    }
    if (badSession(h.session1)) return ScopeField::Session1;
    if (badSession(h.session2) || h.session2.start < h.session1.start) return ScopeField::Session2;
    if (h.sat1On && badSession(h.sat1)) return ScopeField::Saturday1;
    if (h.sat2On && !h.sat1On) return ScopeField::Saturday1Check;
    if (h.sat2On && (badSession(h.sat2) || !timeAfter(h.sat2.start, h.sat1.end)))
        return ScopeField::Saturday2;
    return std::nullopt;
}

namespace {

const QString kRangeInverted =
    QStringLiteral("The range ends before it starts: \"To\" is before \"From\".");
const QString kEndBeforeStart = QStringLiteral("The end of %1 is before its start.");
const QString kEndAtStart = QStringLiteral("The end of %1 is the same as its start.");
const QString kSession2BeforeSession1 = QStringLiteral("Session 2 starts before session 1.");
const QString kSaturday2Alone =
    QStringLiteral("Saturday session 2 is checked without Saturday session 1.");
const QString kSaturday2Overlaps =
    QStringLiteral("Saturday session 2 must start after Saturday session 1 ends.");

QString sessionText(const QString& name, const Session& session) {
    return (timeAfter(session.start, session.end) ? kEndBeforeStart : kEndAtStart).arg(name);
}

}  // namespace

QString scopeRefusalText(const ReportScope& s, ScopeField field) {
    const WorkingHours& h = s.hours;
    switch (field) {
        case ScopeField::From:
            return kRangeInverted;
        case ScopeField::Standard:
            return sessionText(QStringLiteral("the standard time"), h.standard);
        case ScopeField::Saturday:
            return sessionText(QStringLiteral("the Saturday time"), h.saturday);
        case ScopeField::Session1:
            return sessionText(QStringLiteral("session 1"), h.session1);
        case ScopeField::Session2:
            return badSession(h.session2) ? sessionText(QStringLiteral("session 2"), h.session2)
                                          : kSession2BeforeSession1;
        case ScopeField::Saturday1:
            return sessionText(QStringLiteral("Saturday session 1"), h.sat1);
        case ScopeField::Saturday1Check:
            return kSaturday2Alone;
        case ScopeField::Saturday2:
            break;
    }
    return badSession(h.sat2) ? sessionText(QStringLiteral("Saturday session 2"), h.sat2)
                              : kSaturday2Overlaps;
}

namespace {

QDate mondayOf(const QDate& d) {
    return d.addDays(1 - d.dayOfWeek());
}

Result<DateRange> wholeLog(Database& att) {
    auto st = att.prepare(QStringLiteral("SELECT min(SYSTIME), max(SYSTIME) FROM recorder"));
    if (!st) return std::unexpected(st.error());
    auto row = st->step();
    if (!row) return std::unexpected(row.error());
    DateRange r;
    r.allDates = true;
    if (*row && !st->isNull(0)) {
        r.firstDay = parseStampText(st->text(0));
        r.lastDay = parseStampText(st->text(1));
    }
    return r;
}

}  // namespace

Result<DateRange> ResolveDates(const ReportScope& scope, const QDate& today, Database& att) {
    QDate first = today, last = today;
    switch (scope.dateChoice) {
        case DateChoice::ThisWeek:
            first = mondayOf(today);
            break;
        case DateChoice::LastWeek:
            first = mondayOf(today).addDays(-7);
            last = mondayOf(today).addDays(-1);
            break;
        case DateChoice::ThisMonth:
            first = QDate(today.year(), today.month(), 1);
            break;
        case DateChoice::LastMonth:
            last = QDate(today.year(), today.month(), 1).addDays(-1);
            first = QDate(last.year(), last.month(), 1);
            break;
        case DateChoice::Range:
            first = scope.from;
            last = scope.to;
            break;
        case DateChoice::All:
            return wholeLog(att);
    }
    return DateRange{stampFromDate(first), stampFromDate(last), false};
}

Result<std::vector<PersonRow>> selectReportPersons(Database& src, PersonsChoice persons,
                                                   const QString& groupName) {
    const StaffScope scope = staffScopeFromInt(int(persons));
    const auto groupId = scope == StaffScope::Group ? GroupId(src, groupName) : Result<int>(0);
    if (!groupId) return std::unexpected(groupId.error());
    const StaffScopeQuery q =
        staffScopeLines(scope, *groupId, QStringLiteral("CARDNO,NAME,WORKGRP,descx"));
    auto st = src.prepare(q.sql());
    if (!st) return std::unexpected(st.error());
    if (q.groupId) st->bind(1, *q.groupId);
    return st->collect([](const Statement& row) {
        return PersonRow{row.integer(0), row.text(1), row.integer(2), row.text(3)};
    });
}

// The group is found by the rule the persons are found by (GroupId: letter case ignored, an
// exact match first), so a report lists a group's people with that group's own hours.
Result<bool> readGroupHours(Database& src, const QString& groupName, ScopeDialog dialog,
                            WorkingHours& h) {
    const auto id = GroupId(src, groupName);
    if (!id) return std::unexpected(id.error());
    if (*id == 0) return false;
    auto st = src.prepare(QStringLiteral(
        "SELECT wd_from_1, wd_to_1, wd_from_2, wd_to_2, sat_enable_1, sat_from_1, sat_to_1, "
        "sat_enable_2, sat_from_2, sat_to_2, ot_min, ot_multi FROM gid WHERE id = ?"));
    if (!st) return std::unexpected(st.error());
    st->bind(1, *id);
    auto row = st->step();
    if (!row) return std::unexpected(row.error());
    if (!*row) return false;
    auto time = [&](int i) { return timeOfDayMs(parseTimeSetting(st->text(i))); };
    if (dialog == ScopeDialog::OneSession) {
        // The day spans from the first session's start to the second session's end.
        h.standard = {time(0), time(3)};
        h.satOn = st->yesNo(4);
        h.saturday = {time(5), st->yesNo(4) && st->yesNo(7) ? time(9) : time(6)};
    } else {
        h.session1 = {time(0), time(1)};
        h.session2 = {time(2), time(3)};
        h.sat1On = st->yesNo(4);
        h.sat1 = {time(5), time(6)};
        h.sat2On = st->yesNo(7);
        h.sat2 = {time(8), time(9)};
    }
    h.otMinimum = st->integer(10);
    h.otMultiple = st->integer(11);
    return true;
}

Result<RecordCursor> OpenPersonRecords(Database& att, int cardNo, RecordsOfInterest records,
                                       const DateRange& range, int shiftHours) {
    QString sql = QStringLiteral("SELECT SYSTIME, MODE FROM recorder WHERE CARDNO = ?");
    if (records == RecordsOfInterest::Clock) sql += QStringLiteral(" AND MODE = 0");
    if (records == RecordsOfInterest::InOut) sql += QStringLiteral(" AND MODE > 0");
    // The midnight after the last day belongs to the next day, not to this range too. Days
    // read `shiftHours` late (the overnight report's nights from noon to noon) are selected
    // by their own bounds, so the first night's morning and the last night's end are in.
    if (!range.allDates) sql += QStringLiteral(" AND SYSTIME >= ? AND SYSTIME < ?");
    sql += QStringLiteral(" ORDER BY SYSTIME, rowid");
    auto st = att.prepare(sql);
    if (!st) return std::unexpected(st.error());
    st->bind(1, cardNo);
    if (!range.allDates) {
        const auto [lo, hi] =
            wholeDayRange(dateOfStamp(range.firstDay), dateOfStamp(range.lastDay), shiftHours);
        st->bind(2, lo).bind(3, hi);
    }
    std::vector<PunchRecord> out;
    const qint64 shift = shiftHours * kHourMs;
    for (;;) {
        auto row = st->step();
        if (!row) return std::unexpected(row.error());
        if (!*row) break;
        const Stamp t = parseStampText(st->text(0));
        if (t != 0) out.push_back({t - shift, st->integer(1)});
    }
    return RecordCursor(std::move(out));
}

}  // namespace tallyport
