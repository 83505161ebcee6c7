#include "reports/ui/member_list_pages.h"

#include "base/long_work.h"
#include "reports/ui/report_frame.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QRegularExpression>
#include <QTextLayout>
#include <cmath>

namespace tallyport {

namespace {

using report_frame::mm;

const QString kLeftLabel = QStringLiteral("Time Attendance");
const std::array<QString, MemberListDocument::kColumns> kColumnTitles{
    QStringLiteral("Card No."), QStringLiteral("Name"), QStringLiteral("Group"),
    QStringLiteral("Remark")};
constexpr double kGutterMm = 2;
constexpr double kRowGapMm = 1;
constexpr double kRuleWidthMm = 0.2;
constexpr size_t kCheckEvery = 256;

QFont rowFont() {
    return report_frame::sansFont(10);
}

QFont columnTitleFont() {
    QFont f = rowFont();
    f.setBold(true);
    return f;
}

QString withoutTrailingBlanks(QString text) {
    qsizetype n = text.size();
    while (n > 0 && text.at(n - 1).isSpace()) --n;
    text.truncate(n);
    return text;
}

// The text's lines (CR LF, LF or CR end one) wrapped at word boundaries, or anywhere in a word
// wider than the column; blank lines inside are kept, blank lines at the end dropped.
QStringList wrapped(const QString& text, const QFont& font, double width) {
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    QStringList out;
    for (const QString& paragraph : text.split(lineEnd)) {
        if (paragraph.trimmed().isEmpty()) {
            out << QString();
            continue;
        }
        QTextLayout layout(paragraph, font);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            out << withoutTrailingBlanks(paragraph.mid(line.textStart(), line.textLength()));
        }
        layout.endLayout();
    }
    while (!out.isEmpty() && out.last().isEmpty()) out.removeLast();
    return out;
}

double columnWidth(const MemberListDocument::Measures& m, size_t column) {
    const double end =
        column + 1 < kMemberColumnsMm.size() ? mm(kMemberColumnsMm[column + 1]) : m.width;
    return end - mm(kMemberColumnsMm[column]) -
           (column + 1 < kMemberColumnsMm.size() ? mm(kGutterMm) : 0);
}

MemberListDocument::Measures measure(const QPageLayout& layout) {
    const QRect area = layout.paintRectPixels(int(ReportMeasures::kLayoutDpi));
    MemberListDocument::Measures m;
    m.width = area.width();
    m.height = area.height();
    m.lineHeight = report_frame::lineHeight(rowFont());
    m.columnsTop = report_frame::headerHeight() + mm(3);
    m.bodyTop = m.columnsTop + report_frame::lineHeight(columnTitleFont()) + mm(1.5);
    m.bodyEnd = m.height - report_frame::footerHeight() - mm(2);
    return m;
}

// Places the rows on pages: a row moves whole to the next page when it does not fit and a page
// would hold it; a row taller than a page is split line by line.
class Paginator {
public:
    explicit Paginator(const MemberListDocument::Measures& m) : m_m(m), m_y(m.bodyTop) {
        m_pages.emplace_back();
    }
    void place(size_t row, int lineCount) {
        const double height = lineCount * m_m.lineHeight;
        if (used() && m_y + height > m_m.bodyEnd && height <= m_m.bodyEnd - m_m.bodyTop) newPage();
        for (int first = 0; first < lineCount;) {
            const int fit = int(std::floor((m_m.bodyEnd - m_y) / m_m.lineHeight + 1e-9));
            if (fit <= 0) {
                newPage();
                continue;
            }
            const int take = std::min(fit, lineCount - first);
            m_pages.back().push_back({row, first, take});
            first += take;
            m_y += take * m_m.lineHeight;
            if (first < lineCount) newPage();
        }
        m_y += mm(kRowGapMm);
    }
    std::vector<std::vector<MemberListDocument::Piece>> take() { return std::move(m_pages); }

private:
    bool used() const { return !m_pages.back().empty(); }
    void newPage() {
        m_pages.emplace_back();
        m_y = m_m.bodyTop;
    }
    const MemberListDocument::Measures& m_m;
    double m_y;
    std::vector<std::vector<MemberListDocument::Piece>> m_pages;
};

class MemberListPainter final : public PagePainter {
public:
    explicit MemberListPainter(const MemberListDocument& doc)
        : PagePainter(doc.pageLayout()),
          m_doc(doc),
          m_row(rowFont()),
          m_ascent(QFontMetricsF(m_row).ascent()) {}

protected:
    void paintPage(QPainter& p, int index) override {
        const MemberListDocument::Measures& m = m_doc.measures();
        report_frame::paintHeader(p, m.width, 0, kLeftLabel, QString(), m_doc.title());
        paintColumnTitles(p);
        p.setFont(m_row);
        double y = m.bodyTop;
        for (const MemberListDocument::Piece& piece : m_doc.page(index)) {
            const MemberListDocument::Row& row = m_doc.rows()[piece.row];
            for (size_t c = 0; c < row.cells.size(); ++c)
                for (int k = 0; k < piece.lines; ++k) {
                    const int line = piece.firstLine + k;
                    if (line >= row.cells[c].size()) break;
                    p.drawText(QPointF(mm(kMemberColumnsMm[c]), y + k * m.lineHeight + m_ascent),
                               row.cells[c][line]);
                }
            y += piece.lines * m.lineHeight;
            if (piece.firstLine + piece.lines == row.lineCount()) y += mm(kRowGapMm);
        }
        report_frame::paintFooter(p, m.width, m.height, m_doc.printedOn(), index + 1);
    }

private:
    void paintColumnTitles(QPainter& p) {
        const MemberListDocument::Measures& m = m_doc.measures();
        const QFont font = columnTitleFont();
        const QFontMetricsF metrics(font);
        p.setFont(font);
        p.setPen(Qt::black);
        for (size_t c = 0; c < kColumnTitles.size(); ++c)
            p.drawText(QPointF(mm(kMemberColumnsMm[c]), m.columnsTop + metrics.ascent()),
                       kColumnTitles[c]);
        const double rule = m.columnsTop + metrics.height() + mm(0.5);
        p.setPen(QPen(Qt::black, mm(kRuleWidthMm)));
        p.drawLine(QPointF(0, rule), QPointF(m.width, rule));
        p.setPen(Qt::black);
    }

    const MemberListDocument& m_doc;
    QFont m_row;
    double m_ascent;
};

}  // namespace

int MemberListDocument::Row::lineCount() const {
    qsizetype n = 1;
    for (const QStringList& cell : cells) n = std::max(n, cell.size());
    return int(n);
}

QPageLayout MemberListDocument::pageLayout() const {
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                       QMarginsF(25.0, 10.0, 10.0, 10.0), QPageLayout::Millimeter);
}

std::unique_ptr<PagePainter> MemberListDocument::makePainter() const {
    return std::make_unique<MemberListPainter>(*this);
}

Result<MemberListDocument> layoutMemberList(const std::vector<MemberRow>& members,
                                            const QDateTime& printedOn, WorkContext* work) {
    MemberListDocument doc;
    doc.m_printedOn = printedOn;
    doc.m_measures = measure(doc.pageLayout());
    const MemberListDocument::Measures& m = doc.m_measures;
    const QFont font = rowFont();
    Paginator pages(m);
    doc.m_rows.reserve(members.size());
    for (size_t i = 0; i < members.size(); ++i) {
        if (work && i % kCheckEvery == 0) {
            work->setProgress(qint64(i), qint64(members.size()));
            if (work->cancelled()) return fail(kWorkCancelled);
        }
        const MemberRow& r = members[i];
        const QString texts[] = {QString::number(r.cardNo), r.name, r.group, r.memo};
        MemberListDocument::Row row;
        for (size_t c = 0; c < row.cells.size(); ++c)
            row.cells[c] = wrapped(texts[c], font, columnWidth(m, c));
        pages.place(i, row.lineCount());
        doc.m_rows.push_back(std::move(row));
    }
    doc.m_pages = pages.take();
    return doc;
}

Result<void> writeMemberListPdf(const std::vector<MemberRow>& members, const QString& path,
                                const QDateTime& printedOn) {
    auto doc = layoutMemberList(members, printedOn);
    if (!doc) return std::unexpected(doc.error());
    return writeReportPdf(*doc, path);
}

}  // namespace tallyport
