// /api/logs over real HTTP: the records as JSON for each parameter, and 400 for a bad one.
#include "web_fixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tallyport::test {
namespace {

using WebApi = WebFixture;

QJsonArray recordsOf(const HttpReply& r) {
    EXPECT_EQ(r.status, 200) << r.body.constData();
    EXPECT_EQ(r.headers.value("content-type"), "application/json");
    return QJsonDocument::fromJson(r.body).array();
}

TEST_F(WebApi, RecordsComeNewestFirstWithTheirTexts) {
    const QJsonArray all = recordsOf(get("/api/logs"));
    ASSERT_EQ(all.size(), 30);
    EXPECT_EQ(all[0].toObject(), (QJsonObject{{"time", "2024-03-05 10:00:00"},
                                              {"card", 99999},
                                              {"name", "[99999]"},
                                              {"group", ""},
                                              {"mode", "IN"},
                                              {"reader", "Front door"}}));
    EXPECT_EQ(all[1].toObject(), (QJsonObject{{"time", "2024-03-05 09:00:00"},
                                              {"card", 777},
                                              {"name", "<script>"},
                                              {"group", "R&D"},
                                              {"mode", "OUT"},
                                              {"reader", "Back <door>"}}));
    for (qsizetype i = 1; i < all.size(); ++i)
        EXPECT_GE(all[i - 1].toObject()["time"].toString(), all[i].toObject()["time"].toString());
}

TEST_F(WebApi, EachParameterNarrowsTheRecords) {
    struct Case {
        const char* target;
        qsizetype count;
        const char* firstTime;
    };
    const Case cases[] = {
        {"/api/logs?from=2024-03-05", 3, "2024-03-05 10:00:00"},
        {"/api/logs?to=2024-03-04", 27, "2024-03-04 12:30:00"},
        {"/api/logs?from=2024-03-04&to=2024-03-04", 27, "2024-03-04 12:30:00"},
        {"/api/logs?from=2024-03-06", 0, nullptr},
        {"/api/logs?card=23456", 25, "2024-03-04 08:24:00"},
        {"/api/logs?card=23456&limit=2", 2, "2024-03-04 08:24:00"},
        {"/api/logs?limit=1", 1, "2024-03-05 10:00:00"},
        {"/api/logs?card=888&from=2024-03-04&to=2024-03-05", 1, "2024-03-04 12:30:00"},
        {"/api/logs?card=12345&to=2024-03-04", 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        const QJsonArray records = recordsOf(get(c.target));
        ASSERT_EQ(records.size(), c.count);
        if (c.firstTime) {
            EXPECT_EQ(records[0].toObject()["time"].toString(), QString::fromLatin1(c.firstTime));
        }
    }
}

TEST_F(WebApi, ABadParameterIsRefusedWithAJsonError) {
    for (const char* target :
         {"/api/logs?limit=0", "/api/logs?limit=100001", "/api/logs?limit=abc",
          "/api/logs?limit=", "/api/logs?from=2024-13-01", "/api/logs?from=05/03/2024",
          "/api/logs?to=2024-3-5", "/api/logs?from=2024-03-05&to=2024-03-04", "/api/logs?card=12a",
          "/api/logs?card=1%20OR%201=1", "/api/logs?colour=red", "/api/logs?limit=1&limit=2"}) {
        SCOPED_TRACE(target);
        const HttpReply r = get(target);
        EXPECT_EQ(r.status, 400);
        EXPECT_EQ(r.headers.value("content-type"), "application/json");
        const QString error = QJsonDocument::fromJson(r.body).object()["error"].toString();
        EXPECT_FALSE(error.isEmpty()) << r.body.constData();
    }
}

}  // namespace
}  // namespace tallyport::test
