#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace tallyport::test {

// The text of each page of a PDF as pdftotext lays it out, with runs of blanks made single so
// that a printed line can be looked for whatever spacing the extraction chose.
inline QStringList PdfPages(const QString& path) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!p.waitForFinished(30000) || p.exitCode() != 0) return {};
    QStringList pages = QString::fromUtf8(p.readAllStandardOutput()).split(u'\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty()) pages.removeLast();
    for (QString& page : pages) page = page.simplified();
    return pages;
}

}  // namespace tallyport::test
