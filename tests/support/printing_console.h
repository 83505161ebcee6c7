#pragma once

#include "app/ui/report_commands.h"
#include "base/clock.h"
#include "support/dialog_fixture.h"

#include <QPrinter>
#include <QTemporaryDir>

namespace tallyport::test {

// A console whose printer writes the PDF file `printed()`, on a clock that stands at
// 2026-03-11 10:00.
class PrintingConsoleFixture : public ConsoleFixture {
protected:
    void SetUp() override {
        ConsoleFixture::SetUp();
        setAppClock(&clock);
        setReportPrinterFactory([this] {
            auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
            p->setOutputFormat(QPrinter::PdfFormat);
            p->setOutputFileName(printed());
            return p;
        });
    }
    void TearDown() override {
        setReportPrinterFactory(nullptr);
        setAppClock(nullptr);
        ConsoleFixture::TearDown();
    }
    QString outFile(const QString& name) const { return m_out.filePath(name); }
    QString printed() const { return outFile(QStringLiteral("printed.pdf")); }

    ManualClock clock{QDateTime(QDate(2026, 3, 11), QTime(10, 0))};

private:
    QTemporaryDir m_out;
};

}  // namespace tallyport::test
