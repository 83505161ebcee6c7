#pragma once

#include <QDateTime>
#include <QFont>
#include <QString>

class QPainter;

// The frame every printed page shares, in layout units (ReportMeasures::kLayoutDpi per inch,
// whatever the device): fonts sized in those units, the page header's labels and underlined
// title, the footer with the print time and page number.
namespace tallyport::report_frame {

double mm(double millimetres);
QFont sansFont(double points, bool underline = false);
QFont monoFont(double points);
QFont labelFont();  // header labels
QFont titleFont();  // the report's title, 18 pt underlined
QFont footerFont();
double lineHeight(const QFont& font);

// The left and right labels on one line and the title centred below them, from `top`;
// answers the height taken.
double paintHeader(QPainter& p, double width, double top, const QString& left, const QString& right,
                   const QString& title);
double headerHeight();
// "Printed on " and the time on the left, "P." and the page number (from 1) on the right, at
// the bottom of a text area `height` high.
void paintFooter(QPainter& p, double width, double height, const QDateTime& printedOn,
                 int pageNumber);
double footerHeight();
// One line of text in a box `width` wide from (0, top), aligned as asked.
void paintLine(QPainter& p, const QFont& font, double width, double top, const QString& text,
               int align);

}  // namespace tallyport::report_frame
