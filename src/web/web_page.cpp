#include "web/web_page.h"

#include "base/time_texts.h"
#include "store/date_time.h"
#include "store/log_texts.h"

#include <QHash>
#include <QLocale>

namespace tallyport {
namespace {

void line(QByteArray& out, const QString& text) {
    out += text.toUtf8();
    out += "\r\n";
}

void line(QByteArray& out, const char* text) {
    out += text;
    out += "\r\n";
}

QString cell(const QString& text) {
    return QStringLiteral("<td>") + text.toHtmlEscaped() + QStringLiteral("</td>");
}

QString countLine(qint64 found, int limit) {
    if (limit < found) return QStringLiteral("[%1 / %2 record(s)]<br>").arg(limit).arg(found);
    return QStringLiteral("[%1 record(s)]<br>").arg(found);
}

void tableHead(QByteArray& out) {
    for (const char* text : {"<table border=0 bgcolor=#DCDCDC bordercolor=#DCDCDC>",
                             "<tr bgcolor=#ADD8E6 align=center>", "<th width=250>Time</th>",
                             "<th width=200>Holder</th>", "<th width=150>Group</th>",
                             "<th width=80>Mode</th>", "<th width=100>Reader</th>", "</tr>"})
        line(out, text);
}

QString dayText(const QLocale& locale, const QDate& d) {
    return locale.toString(d, QStringLiteral("MMM d, yyyy ddd"));
}

QString dayAndTime(const QString& day, const QTime& time) {
    return day + QStringLiteral(" - ") +
           amPmTimeText(time, AmPmGap::Spaced, AmPmPrecision::Seconds);
}

// "mmm d, yyyy ddd" of each day met on one page: a page's rows share a day or two.
class DayTexts {
public:
    const QString& of(const QDate& d) {
        auto it = m_texts.constFind(d.toJulianDay());
        if (it == m_texts.cend()) it = m_texts.insert(d.toJulianDay(), dayText(m_locale, d));
        return *it;
    }

private:
    QLocale m_locale;
    QHash<qint64, QString> m_texts;
};

QString timeCell(const QString& stored, DayTexts& days) {
    const auto t = splitDateTimeText(stored);
    return t ? dayAndTime(days.of(t->first), t->second) : stored;
}

void recordLine(QByteArray& out, const WebRow& r, int i, DayTexts& days) {
    line(out, (i % 2 == 0 ? QStringLiteral("<tr align=center bgcolor=#FFFFFF>")
                          : QStringLiteral("<tr align=center bgcolor=#F5F5F5>")) +
                  cell(timeCell(r.time, days)) + cell(r.holder) + cell(r.group) +
                  cell(modeText(r.mode)) + cell(r.reader) + QStringLiteral("</tr>"));
}

}  // namespace

QString webTimeText(const QDateTime& t) {
    return dayAndTime(dayText(QLocale(), t.date()), t.time());
}

QByteArray pageHead(const QString& title, std::optional<int> refresh) {
    QByteArray out;
    line(out, "<head>");
    if (refresh) line(out, QStringLiteral("<meta http-equiv=refresh content=%1>").arg(*refresh));
    line(out, "<title>");
    line(out, title.toHtmlEscaped());
    if (refresh) line(out, QStringLiteral(" - auto refresh in %1s").arg(*refresh));
    line(out, "</title>");
    line(out, "</head>");
    return out;
}

QByteArray pageOpening(const QDateTime& now) {
    QByteArray out;
    line(out, "<body bgcolor=#f5f5f5>");
    line(out, "<center>");
    line(out, "<strong><u>Time Logs Report V1.0</u></strong><br>");
    line(out, webTimeText(now) + QStringLiteral("<br>"));
    return out;
}

QByteArray pageRecords(qint64 found, int limit, const std::vector<WebRow>& rows) {
    QByteArray out;
    line(out, countLine(found, limit));
    line(out, "<br>");
    if (found == 0 || rows.empty()) {
        line(out, "No record.<br>");
    } else {
        tableHead(out);
        DayTexts days;
        int written = 0;
        for (const WebRow& r : rows) {
            recordLine(out, r, written, days);
            if (++written >= limit) break;
        }
    }
    out += pageTableEnd();
    return out;
}

QByteArray pageTableEnd() {
    return QByteArrayLiteral("</table>\r\n");
}

QByteArray pageFooter() {
    static const QByteArray footer = [] {
        QByteArray out;
        line(out, QStringLiteral("<br><small>powered by <strong><a href=") + kProjectPage +
                      QStringLiteral(">Zolt</a></strong>'s technology</small>"));
        line(out, "</center>");
        line(out, "</body>");
        return out;
    }();
    return footer;
}

}  // namespace tallyport
