#include "store/log_texts.h"

#include <gtest/gtest.h>

using namespace tallyport;

TEST(EventTexts, ModeAndLockTextsAndTheBracketedTag) {
    struct Case {
        int mode;
        const char* text;
        const char* tag;
    };
    for (const Case& c :
         {Case{0, "CLOCK", "[CLOCK]"}, Case{1, "IN", "[IN]   "}, Case{2, "OUT", "[OUT]  "},
          Case{5, "N/A", "[N/A]  "}, Case{-1, "N/A", "[N/A]  "}}) {
        EXPECT_EQ(modeText(c.mode), QString::fromLatin1(c.text)) << c.mode;
        EXPECT_EQ(ModeTag(c.mode), QString::fromLatin1(c.tag)) << c.mode;
    }
    for (int m : {0, 1, 2, 3, 127, -1}) EXPECT_EQ(ModeTag(m).size(), 7) << m;
    const auto desc = [](int p) { return QStringLiteral("Door %1").arg(p); };
    EXPECT_EQ(lockText(0, desc), QStringLiteral("DENIED"));
    EXPECT_EQ(lockText(1, desc), QStringLiteral("Door 1"));
    EXPECT_EQ(lockText(8, desc), QStringLiteral("Door 8"));
    EXPECT_EQ(lockText(9, desc), QStringLiteral("ERROR"));
    EXPECT_EQ(lockText(-1, desc), QStringLiteral("ERROR"));
}

TEST(EventTexts, SnapshotFileNameUsesTwoDigitYearAnd24Hours) {
    EXPECT_EQ(snapshotFileName(QStringLiteral("/data/photos"), 12345,
                               QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9))),
              QStringLiteral("/data/photos/240305-140709-12345.jpg"));
    EXPECT_EQ(
        snapshotFileName(QStringLiteral("/p"), -1, QDateTime(QDate(2009, 12, 31), QTime(0, 0, 1))),
        QStringLiteral("/p/091231-000001--1.jpg"));
}
