// The report preview: thousands of pages open and scroll without laying anything out on the
// interface thread, page navigation and zoom, and printing from the preview, where each page
// holds the lines the layout gave it.
#include "reports/ui/report_preview.h"
#include "reports/ui/report_page_view.h"
#include "support/dialog_fixture.h"
#include "support/pdf_text.h"

#include "store/setting_names.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <QLabel>
#include <QPrinter>
#include <QSpinBox>

namespace tallyport::test {
namespace {

// `persons` persons of `days` detail lines each, enhanced colours, a total after each.
ReportContents manyLines(int persons, int days) {
    ReportContents rc;
    rc.leftLabel = QStringLiteral("Time Attendance");
    rc.rightLabel = QStringLiteral("From: 1/Jan/2025 To: 31/Dec/2025");
    rc.title = QStringLiteral("Time Logs (All)");
    for (int p = 0; p < persons; ++p) {
        if (p > 0) rc.lines.push_back({Band::Blank, QString(), BandColour::White, false});
        rc.lines.push_back(
            {Band::Person, QStringLiteral(" [%1] Holder %1").arg(p + 1), BandColour::Yellow});
        for (int d = 0; d < days; ++d)
            rc.lines.push_back({Band::Detail,
                                QStringLiteral("  Line %1 of holder %2").arg(d + 1).arg(p + 1),
                                d % 2 ? BandColour::Yellow : BandColour::White});
        rc.lines.push_back({Band::Total, QStringLiteral(" No of day(s) = %1 ").arg(days)});
    }
    return rc;
}

ReportDocument laidOut(const ReportContents& rc) {
    auto doc = layoutReportPages(rc, QDateTime(QDate(2026, 3, 2), QTime(8, 15, 0)));
    EXPECT_TRUE(doc.has_value());
    return doc ? *doc : ReportDocument{};
}

class ReportPreviewTest : public DialogFixture {
protected:
    ScriptedOperator op;
};

// A folder no one can write into, root included: where the mode bits do not stop root, the
// immutable flag does. Writable again when it goes, so it can be removed.
class LockedFolder {
public:
    LockedFolder() {
        QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        if (::access(QFile::encodeName(m_dir.path()).constData(), W_OK) == 0) setImmutable(true);
    }
    ~LockedFolder() {
        setImmutable(false);
        QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }
    QStringList entries() const {
        return QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

private:
    void setImmutable(bool on) {
        const int fd = ::open(QFile::encodeName(m_dir.path()).constData(), O_RDONLY | O_DIRECTORY);
        if (fd < 0) return;
        int flags = 0;
        if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
            ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
        }
        ::close(fd);
    }
    QTemporaryDir m_dir;
};

TEST_F(ReportPreviewTest, ThousandsOfPagesPaintOnlyWhatIsInView) {
    ReportPreview preview(laidOut(manyLines(500, 260)), op);
    ReportPageView* pages = preview.pages();
    ASSERT_GT(pages->pageCount(), 2000);
    preview.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return pages->pagesPainted() > 0; }, 5000));
    EXPECT_LE(pages->pagesPainted(), 2);  // at the page width, one page and a bit of the next
    auto* page = control<QSpinBox>(&preview, "sePage");
    EXPECT_EQ(page->value(), 1);
    EXPECT_EQ(page->suffix(), QStringLiteral(" of %1").arg(pages->pageCount()));

    click(&preview, "bLast");
    EXPECT_EQ(pages->currentPage(), pages->pageCount() - 1);
    EXPECT_EQ(page->value(), pages->pageCount());
    click(&preview, "bPrevious");
    EXPECT_EQ(page->value(), pages->pageCount() - 1);
    page->setValue(1000);
    EXPECT_EQ(pages->currentPage(), 999);
    EXPECT_NEAR(pages->pageRect(999).top(), 12, 1);  // the page's top at the view's top
    pages->viewport()->repaint();
    EXPECT_LE(pages->pagesPainted(), 2);
}

TEST_F(ReportPreviewTest, ZoomKeepsThePageAndPageWidthFitsAgain) {
    ReportPreview preview(laidOut(manyLines(20, 100)), op);
    ReportPageView* pages = preview.pages();
    preview.show();
    click(&preview, "bNext");
    click(&preview, "bNext");
    ASSERT_EQ(pages->currentPage(), 2);
    const double fitted = pages->zoom();
    const QString fittedText = control<QLabel>(&preview, "lZoom")->text();
    click(&preview, "bZoomIn");
    EXPECT_NEAR(pages->zoom(), fitted * 1.25, 1e-9);
    EXPECT_FALSE(pages->fitsWidth());
    EXPECT_NE(control<QLabel>(&preview, "lZoom")->text(), fittedText);
    EXPECT_EQ(pages->currentPage(), 2);
    click(&preview, "bZoomOut");
    click(&preview, "bZoomOut");
    EXPECT_NEAR(pages->zoom(), fitted / 1.25, 1e-9);
    EXPECT_EQ(pages->currentPage(), 2);
    click(&preview, "bFitWidth");
    EXPECT_TRUE(pages->fitsWidth());
    EXPECT_NEAR(pages->zoom(), fitted, 1e-9);
    EXPECT_EQ(control<QLabel>(&preview, "lZoom")->text(), fittedText);
}

// Print from the preview: every page goes to the printer, on a worker with its progress
// window, and each printed page holds exactly the lines the layout gave it.
TEST_F(ReportPreviewTest, PrintsEveryPageAsLaidOut) {
    QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("printed.pdf"));
    const ReportDocument doc = laidOut(manyLines(3, 70));
    ReportPreview preview(doc, op);
    preview.setPrinterChooser([&](QWidget*) {
        auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
        p->setOutputFormat(QPrinter::PdfFormat);
        p->setOutputFileName(file);
        return p;
    });
    preview.show();
    click(&preview, "bPrint");
    EXPECT_EQ(op.shown(), QStringList{QStringLiteral("work: Time Logs (All)")});
    const QStringList printed = PdfPages(file);
    ASSERT_EQ(printed.size(), doc.pageCount());
    const auto& lines = doc.contents().lines;
    for (int i = 0; i < doc.pageCount(); ++i) {
        SCOPED_TRACE(i + 1);
        EXPECT_TRUE(printed[i].contains(QStringLiteral("P.%1").arg(i + 1)));
        EXPECT_TRUE(printed[i].contains(QStringLiteral("Printed on 2026-03-02 08:15:00")));
        const QString first = lines[doc.firstLine(i)].text.simplified();
        const QString last = lines[doc.endLine(i) - 1].text.simplified();
        EXPECT_TRUE(printed[i].contains(first)) << first.toStdString();
        EXPECT_TRUE(printed[i].contains(last)) << last.toStdString();
        if (i + 1 < doc.pageCount()) {  // the next page's first line is not here
            const QString next = lines[doc.firstLine(i + 1)].text.simplified();
            if (!next.isEmpty()) {
                EXPECT_FALSE(printed[i].contains(next)) << next.toStdString();
            }
        }
    }
}

// The printer dialog's choice of pages: a range (bounded by the document), the page in view,
// or all of them.
TEST_F(ReportPreviewTest, PrintsThePagesThePrinterDialogChose) {
    struct Case {
        const char* what;
        QPrinter::PrintRange range;
        int from, to;         // of a page range, from 1
        int inView;           // the page shown when Print is pressed, from 1
        QList<int> expected;  // the pages printed, by their numbers
    };
    const Case cases[] = {
        {"all", QPrinter::AllPages, 0, 0, 2, {1, 2, 3, 4}},
        {"a range", QPrinter::PageRange, 2, 3, 1, {2, 3}},
        {"a range past the end", QPrinter::PageRange, 3, 9, 1, {3, 4}},
        {"the page in view", QPrinter::CurrentPage, 0, 0, 2, {2}},
    };
    const ReportDocument doc = laidOut(manyLines(3, 70));
    ASSERT_EQ(doc.pageCount(), 4);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir out;
        const QString file = out.filePath(QStringLiteral("printed.pdf"));
        ReportPreview preview(doc, op);
        preview.setPrinterChooser([&](QWidget*) {
            auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
            p->setOutputFormat(QPrinter::PdfFormat);
            p->setOutputFileName(file);
            p->setPrintRange(c.range);
            if (c.range == QPrinter::PageRange) p->setFromTo(c.from, c.to);
            return p;
        });
        preview.show();
        control<QSpinBox>(&preview, "sePage")->setValue(c.inView);
        click(&preview, "bPrint");
        const QStringList printed = PdfPages(file);
        ASSERT_EQ(printed.size(), c.expected.size());
        for (int i = 0; i < printed.size(); ++i) {
            EXPECT_TRUE(printed[i].contains(QStringLiteral("P.%1").arg(c.expected[i])))
                << printed[i].toStdString();
            const QString first = doc.contents().lines[doc.firstLine(c.expected[i] - 1)].text;
            EXPECT_TRUE(printed[i].contains(first.simplified())) << first.toStdString();
        }
    }
}

// Save as PDF: the operator names a file, the pages go there as the printer gets them (on a
// worker), the path is said; the next time the question starts in that folder.
TEST_F(ReportPreviewTest, SavesAsPdfWhereTheOperatorSaysAndTellsThePath) {
    QTemporaryDir out;
    const ReportDocument doc = laidOut(manyLines(3, 70));
    ReportPreview preview(doc, op);
    preview.show();
    op.answerFile(out.filePath(QStringLiteral("march")));  // typed without ".pdf"
    click(&preview, "bSavePdf");
    const QString file = out.filePath(QStringLiteral("march.pdf"));
    EXPECT_EQ(op.shown(),
              (QStringList{QStringLiteral("save: Save as PDF | PDF File (*.pdf);;All File (*)"),
                           QStringLiteral("work: Time Logs (All)"),
                           QStringLiteral("information: The PDF file ") + file +
                               QStringLiteral(" is written.")}));
    const QStringList pages = PdfPages(file);
    ASSERT_EQ(pages.size(), doc.pageCount());
    for (int i = 0; i < doc.pageCount(); ++i) {
        SCOPED_TRACE(i + 1);
        EXPECT_TRUE(pages[i].contains(QStringLiteral("Time Logs (All)")));
        EXPECT_TRUE(pages[i].contains(QStringLiteral("P.%1").arg(i + 1)));
        EXPECT_TRUE(pages[i].contains(QStringLiteral("Printed on 2026-03-02 08:15:00")));
        const QString first = doc.contents().lines[doc.firstLine(i)].text.simplified();
        EXPECT_TRUE(pages[i].contains(first)) << first.toStdString();
    }
    EXPECT_EQ(ReadSettingText(setting::PrintPdfFolder, QString()), out.path());

    // The folder remembered, the title proposed; "march" again is "march.pdf", which exists:
    // No keeps it as it was.
    op.clear();
    QFile::resize(file, 10);
    op.answerFile(out.filePath(QStringLiteral("march")));
    op.answerYesNo(false);
    click(&preview, "bSavePdf");
    EXPECT_EQ(op.lastSuggested(), out.filePath(QStringLiteral("Time Logs (All).pdf")));
    EXPECT_EQ(op.shown(QStringLiteral("yesno")),
              QStringList{file + QStringLiteral(" already exists.\nDo you want to replace it?")});
    EXPECT_EQ(QFileInfo(file).size(), 10);
    EXPECT_TRUE(op.shown(QStringLiteral("work")).isEmpty());
}

// A folder that cannot be written: the operator is told which file and why, nothing is said
// to be written, and no file (not even a temporary one) is left. Cancel in the progress
// window and Cancel in the question write nothing and say nothing.
TEST_F(ReportPreviewTest, SavingAsPdfWhereNothingCanBeWrittenSaysSoAndLeavesNoFile) {
    LockedFolder locked;
    ASSERT_FALSE(QFile(locked.filePath(QStringLiteral("probe"))).open(QIODevice::WriteOnly))
        << "the folder must refuse files for this test";
    ReportPreview preview(laidOut(manyLines(2, 10)), op);
    const QString file = locked.filePath(QStringLiteral("report.pdf"));
    op.answerFile(file);
    click(&preview, "bSavePdf");
    const QStringList errors = op.shown(QStringLiteral("error"));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith(QStringLiteral("The file \"") + file +
                                     QStringLiteral("\" cannot be written: ")))
        << errors[0].toStdString();
    EXPECT_TRUE(op.shown(QStringLiteral("information")).isEmpty());
    EXPECT_EQ(locked.entries(), QStringList());

    QTemporaryDir out;
    ReportPreview big(laidOut(manyLines(100, 260)), op);  // hundreds of pages: Cancel is in time
    op.clear();
    op.answerFile(out.filePath(QStringLiteral("cancelled.pdf")));
    op.cancelNextWork();
    click(&big, "bSavePdf");
    click(&preview, "bSavePdf");  // no file given: Cancel in the question
    EXPECT_EQ(op.shown(QStringLiteral("work")), QStringList{QStringLiteral("Time Logs (All)")});
    EXPECT_TRUE(op.shown(QStringLiteral("information")).isEmpty());
    EXPECT_TRUE(op.shown(QStringLiteral("error")).isEmpty());
    EXPECT_EQ(QDir(out.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList());
}

TEST_F(ReportPreviewTest, NoPrinterChosenPrintsNothing) {
    ReportPreview preview(laidOut(manyLines(1, 5)), op);
    preview.setPrinterChooser([](QWidget*) { return std::unique_ptr<QPrinter>(); });
    click(&preview, "bPrint");
    EXPECT_TRUE(op.shown().isEmpty());
}

}  // namespace
}  // namespace tallyport::test
