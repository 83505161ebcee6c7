#include "reports/report_text.h"

#include "reports/report_texts.h"

namespace tallyport {

namespace {
// The header's right label ends where a printed detail line of usual length would.
constexpr int kHeaderWidth = 78;
}  // namespace

QString reportText(const ReportContents& rc) {
    QString out;
    const int gap =
        std::max<int>(1, kHeaderWidth - int(rc.leftLabel.size() + rc.rightLabel.size()));
    out += rc.leftLabel + QString(gap, QLatin1Char(' ')) + rc.rightLabel + u'\n';
    out += rc.title + u'\n';
    for (const QString& h : rc.headerLines)
        if (!h.isEmpty()) out += h + u'\n';
    out += u'\n';
    for (const ReportLine& l : rc.lines) out += l.text + u'\n';
    return out;
}

}  // namespace tallyport
