#include "reports/ui/report_frame.h"

#include "reports/ui/report_pages.h"

#include <QFontMetricsF>
#include <QPainter>

namespace tallyport::report_frame {

namespace {
int layoutPixels(double points) {
    return int(points * ReportMeasures::kLayoutDpi / 72.0 + 0.5);
}
}  // namespace

double mm(double millimetres) {
    return millimetres * ReportMeasures::kLayoutDpi / 25.4;
}

// No ligatures where the script needs none: "Office" stays six letters in a PDF, so the text
// can be searched and copied as it was typed.
QFont sansFont(double points, bool underline) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setStyleHint(QFont::SansSerif, QFont::PreferNoShaping);
    f.setPixelSize(layoutPixels(points));
    f.setUnderline(underline);
    return f;
}

QFont monoFont(double points) {
    QFont f(QStringLiteral("DejaVu Sans Mono"));
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    f.setPixelSize(layoutPixels(points));
    return f;
}

QFont labelFont() {
    return sansFont(10);
}
QFont titleFont() {
    return sansFont(18, true);
}
QFont footerFont() {
    return sansFont(9);
}

double lineHeight(const QFont& font) {
    return QFontMetricsF(font).height();
}

void paintLine(QPainter& p, const QFont& font, double width, double top, const QString& text,
               int align) {
    p.setFont(font);
    const QRectF box(0, top, width, lineHeight(font));
    p.drawText(box, align | Qt::AlignVCenter | Qt::TextSingleLine, text);
}

double paintHeader(QPainter& p, double width, double top, const QString& left, const QString& right,
                   const QString& title) {
    const QFont label = labelFont();
    paintLine(p, label, width, top, left, Qt::AlignLeft);
    paintLine(p, label, width, top, right, Qt::AlignRight);
    paintLine(p, titleFont(), width, top + lineHeight(label), title, Qt::AlignHCenter);
    return headerHeight();
}

double headerHeight() {
    return lineHeight(labelFont()) + lineHeight(titleFont());
}

void paintFooter(QPainter& p, double width, double height, const QDateTime& printedOn,
                 int pageNumber) {
    const QFont font = footerFont();
    const double top = height - lineHeight(font);
    const QString printed = printedOn.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    paintLine(p, font, width, top, QStringLiteral("Printed on ") + printed, Qt::AlignLeft);
    paintLine(p, font, width, top, QStringLiteral("P.") + QString::number(pageNumber),
              Qt::AlignRight);
}

double footerHeight() {
    return lineHeight(footerFont());
}

}  // namespace tallyport::report_frame
