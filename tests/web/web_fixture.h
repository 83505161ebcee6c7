#pragma once

// A web reporter on a fresh installation, listening on a free port, with a small log: three
// records today (Tuesday 5 March 2024, 14:07:09 by the test's clock) and 27 on the day before.
#include "base/clock.h"
#include "support/store_fixture.h"
#include "web/web_reporter.h"

#include "http_get.h"

#include <memory>

namespace tallyport::test {

class WebFixture : public StoreFixture {
protected:
    void SetUp() override {
        setAppClock(&clock);
        StoreFixture::SetUp();
        addGroup(2, QStringLiteral("OFFICE"));
        addGroup(3, QStringLiteral("R&D"));
        addStaff(12345, QStringLiteral("ANNA"), 2);
        addStaff(23456, QStringLiteral("SMITH JOHN"), 2);
        addStaff(34567, QStringLiteral("SMILEY"), 1);
        addStaff(777, QStringLiteral("<script>"), 3);
        addStaff(888, QStringLiteral("GONE"), 99);  // its group no longer exists
        setReader(1, QStringLiteral("Front door"));
        setReader(2, QStringLiteral("Back <door>"));
        for (int i = 0; i < 25; ++i)
            addLog(QStringLiteral("2024-03-04 08:%1:00").arg(i, 2, 10, QLatin1Char('0')), 23456,
                   1 + i % 2, 1);
        addLog(QStringLiteral("2024-03-04 12:00:00"), 34567, 0, 1);
        addLog(QStringLiteral("2024-03-04 12:30:00"), 888, 5, 9);
        addLog(QStringLiteral("2024-03-05 08:00:00"), 12345, 1, 1);
        addLog(QStringLiteral("2024-03-05 09:00:00"), 777, 2, 2);
        addLog(QStringLiteral("2024-03-05 10:00:00"), 99999, 1, 1);
        ASSERT_NO_FATAL_FAILURE(start());
    }
    void TearDown() override {
        reporter.reset();
        StoreFixture::TearDown();
        setAppClock(nullptr);
    }

    void start() {
        reporter = std::make_unique<WebReporter>(dir.path());
        const auto port = reporter->start(0);
        ASSERT_TRUE(port.has_value()) << qPrintable(port.error().text);
        listening = *port;
    }
    void setReader(int port, const QString& desc) {
        ASSERT_TRUE(data.src().run(
            QStringLiteral("UPDATE reader SET \"desc\" = ? WHERE PortNo = ?"), desc, port));
    }
    HttpReply get(const QByteArray& target,
                  const QList<QPair<QByteArray, QByteArray>>& headers = {}) {
        return httpGet(listening, target, headers);
    }

    ManualClock clock{QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9))};
    std::unique_ptr<WebReporter> reporter;
    quint16 listening = 0;
};

}  // namespace tallyport::test
