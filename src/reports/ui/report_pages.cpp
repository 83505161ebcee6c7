#include "reports/ui/report_pages.h"

#include "base/operator.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QMarginsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QRawFont>
#include <QSaveFile>

namespace tallyport {

namespace {

const QColor kYellow(255, 255, 0);
constexpr double kRuleWidthMm = 0.2;

QFont sansFont(double points, bool underline = false) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(points);
    f.setUnderline(underline);
    return f;
}

QFont monoFont(double points) {
    QFont f(QStringLiteral("DejaVu Sans Mono"));
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    f.setPointSizeF(points);
    return f;
}

// A band's font and measures, worked out once per run: the pages of a year's report hold
// hundreds of thousands of lines.
struct BandStyle {
    QFont font;
    double height = 0;    // with a little leading, so coloured bands read as separate lines
    double baseline = 0;  // from the band's top
    double widest = 0;    // the widest character: a cheap bound before measuring a line
    QRawFont raw;         // fixed pitch only: plain lines are laid glyph by glyph, unshaped
    double pitch = 0;
};

// One page being filled: the text area in device units and how far down it is used.
struct PageState {
    QPainter* p = nullptr;
    QRectF area;         // the text area, origin at its top left
    double bodyTop = 0;  // below the page header
    double bodyEnd = 0;  // above the page footer
    double y = 0;        // next band's top
    int page = 0;
    QDateTime printedOn;
    const ReportContents* rc = nullptr;
    BandStyle person, detail;
    const QFont* current = nullptr;  // the band font last set on the painter
};

double mm(const PageState& s, double millimetres) {
    return millimetres * s.p->device()->logicalDpiY() / 25.4;
}

double lineHeight(const PageState& s, const QFont& f) {
    return QFontMetricsF(f, s.p->device()).height();
}

BandStyle bandStyle(QPaintDevice* device, const QFont& font) {
    const QFontMetricsF m(font, device);
    const double height = m.height() * 1.15;
    BandStyle style{font, height, (height - m.height()) / 2 + m.ascent(), m.maxWidth(), {}, 0};
    if (font.fixedPitch()) {
        style.raw = QRawFont::fromFont(font);
        style.raw.setPixelSize(font.pointSizeF() * device->logicalDpiY() / 72.0);
        style.pitch = style.raw.averageCharWidth();
    }
    return style;
}

bool isPlainLatin(const QString& text) {
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0xff) return false;
    return true;
}

// The detail lines are most of a long report: laying their glyphs at the fixed pitch spares
// the text shaping that costs most of the time.
bool drawFixedPitch(PageState& s, const BandStyle& style, const QString& text) {
    if (!style.raw.isValid() || !isPlainLatin(text) || text.size() * style.pitch > s.area.width())
        return false;
    const QList<quint32> glyphs = style.raw.glyphIndexesForString(text);
    if (glyphs.size() != text.size() || glyphs.contains(0u)) return false;
    QList<QPointF> positions(glyphs.size());
    for (qsizetype i = 0; i < positions.size(); ++i) positions[i] = QPointF(i * style.pitch, 0);
    QGlyphRun run;
    run.setRawFont(style.raw);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    s.p->drawGlyphRun(QPointF(0, s.y + style.baseline), run);
    return true;
}

const BandStyle& styleOf(const PageState& s, Band band) {
    return band == Band::Person ? s.person : s.detail;
}

void drawText(PageState& s, const QFont& f, double top, const QString& text, int align) {
    s.p->setFont(f);
    s.current = nullptr;
    const QRectF r(0, top, s.area.width(), lineHeight(s, f));
    s.p->drawText(r, align | Qt::AlignVCenter | Qt::TextSingleLine, text);
}

// Left label and right label on one line, the title centred and underlined below them,
// then the working-hours lines.
double drawPageHeader(PageState& s) {
    const QFont label = sansFont(10);
    drawText(s, label, 0, s.rc->leftLabel, Qt::AlignLeft);
    drawText(s, label, 0, s.rc->rightLabel, Qt::AlignRight);
    double y = lineHeight(s, label);
    const QFont title = sansFont(18, true);
    drawText(s, title, y, s.rc->title, Qt::AlignHCenter);
    y += lineHeight(s, title);
    for (const QString& h : s.rc->headerLines) {
        if (h.isEmpty()) continue;
        drawText(s, label, y, h, Qt::AlignLeft);
        y += lineHeight(s, label);
    }
    return y + mm(s, 3);
}

double footerHeight(const PageState& s) {
    return lineHeight(s, sansFont(9));
}

void drawPageFooter(PageState& s) {
    const QFont f = sansFont(9);
    const double top = s.area.height() - footerHeight(s);
    drawText(
        s, f, top,
        QStringLiteral("Printed on ") + s.printedOn.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
        Qt::AlignLeft);
    drawText(s, f, top, QStringLiteral("P.") + QString::number(s.page), Qt::AlignRight);
}

// Starts a page (the device's first page is already there) with its header and footer.
bool startPage(PageState& s, QPagedPaintDevice& device) {
    if (s.page > 0 && !device.newPage()) return false;
    ++s.page;
    s.bodyTop = drawPageHeader(s);
    drawPageFooter(s);
    s.bodyEnd = s.area.height() - footerHeight(s) - mm(s, 2);
    s.y = s.bodyTop;
    return true;
}

void drawRule(PageState& s, double y) {
    s.p->setPen(QPen(Qt::black, mm(s, kRuleWidthMm)));
    s.p->drawLine(QPointF(0, y), QPointF(s.area.width(), y));
}

// A line wider than the text area is printed smaller rather than cut off: a total line's
// last figures matter as much as its first.
void drawBandText(PageState& s, const BandStyle& style, const QString& text) {
    if (drawFixedPitch(s, style, text)) return;
    if (s.current != &style.font) s.p->setFont(style.font);
    s.current = &style.font;
    if (text.size() * style.widest > s.area.width()) {
        const double width = s.p->fontMetrics().horizontalAdvance(text);
        if (width > s.area.width()) {
            QFont smaller = style.font;
            smaller.setPointSizeF(smaller.pointSizeF() * s.area.width() / width * 0.98);
            s.p->setFont(smaller);
            s.current = nullptr;
        }
    }
    s.p->drawText(QPointF(0, s.y + style.baseline), text);
}

void drawBand(PageState& s, const ReportLine& line) {
    const BandStyle& style = styleOf(s, line.band);
    const QRectF r(0, s.y, s.area.width(), style.height);
    if (line.colour == BandColour::Yellow) s.p->fillRect(r, kYellow);
    s.p->setPen(Qt::black);
    if (!line.text.isEmpty()) drawBandText(s, style, line.text);
    if (line.band == Band::Person || line.band == Band::Total) {
        drawRule(s, r.top());
        drawRule(s, r.bottom());
    }
    s.y += style.height;
}

bool placeBand(PageState& s, QPagedPaintDevice& device, const ReportLine& line) {
    const double h = styleOf(s, line.band).height;
    const bool pageUsed = s.y > s.bodyTop;
    if ((line.newPage && pageUsed) || (s.y + h > s.bodyEnd && pageUsed)) {
        if (!startPage(s, device)) return false;
    }
    drawBand(s, line);
    return true;
}

}  // namespace

QPageLayout reportPageLayout() {
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                       QMarginsF(20.0, 10.0, 15.0, 10.0), QPageLayout::Millimeter);
}

Result<int> paintReportPages(const ReportContents& rc, QPagedPaintDevice& device,
                             const QDateTime& printedOn, Progress* progress) {
    QPainter painter;
    if (!painter.begin(&device)) return fail(QStringLiteral("The report pages cannot be drawn."));
    PageState s{&painter,
                QRectF(0, 0, device.width(), device.height()),
                0,
                0,
                0,
                0,
                printedOn,
                &rc,
                bandStyle(&device, sansFont(11)),
                bandStyle(&device, monoFont(9))};
    bool ok = startPage(s, device);
    const size_t n = rc.lines.size();
    for (size_t i = 0; ok && i < n; ++i) {
        if (progress && i % 512 == 0) progress->setPosition(int(i * 100 / n));
        ok = placeBand(s, device, rc.lines[i]);
    }
    if (progress) progress->setPosition(100);
    painter.end();
    if (!ok) return fail(QStringLiteral("The report pages cannot be drawn."));
    return s.page;
}

Result<void> writeReportPdf(const ReportContents& rc, const QString& path,
                            const QDateTime& printedOn) {
    QSaveFile file(path);
    const auto cannot = [&](const QString& why) {
        return fail(QStringLiteral("The file \"%1\" cannot be written: %2.").arg(path, why));
    };
    if (!file.open(QIODevice::WriteOnly)) return cannot(file.errorString());
    {
        QPdfWriter writer(&file);
        writer.setPageLayout(reportPageLayout());
        writer.setResolution(300);
        writer.setCreator(QStringLiteral("Tallyport"));
        writer.setTitle(rc.title);
        if (auto pages = paintReportPages(rc, writer, printedOn); !pages)
            return cannot(QStringLiteral("the pages cannot be drawn"));
    }
    if (!file.commit()) return cannot(file.errorString());
    return {};
}

}  // namespace tallyport
