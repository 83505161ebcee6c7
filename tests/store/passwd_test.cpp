#include "store/passwd.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace tallyport;

TEST(Passwords, ScrambleGivesTwoTableDigitsPerByteAndUnscrambleRestoresIt) {
    EXPECT_EQ(ScramblePassword(QString()), QString());
    // 'A' is 0x41: table[4] = '7', table[1] = '3'.
    EXPECT_EQ(ScramblePassword(QStringLiteral("A")), QStringLiteral("73"));
    for (const QString& p : {QStringLiteral("secret"), QStringLiteral("Secret"), QStringLiteral(" x y "),
                             QStringLiteral("pässwörd"), QString(QChar(0x7f)) + QChar(0x01)}) {
        const QString s = ScramblePassword(p);
        EXPECT_EQ(s.size(), 2 * p.toUtf8().size());
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9A-F]*$")).match(s).hasMatch());
        EXPECT_EQ(UnscramblePassword(s), p);
    }
    EXPECT_NE(ScramblePassword(QStringLiteral("secret")), ScramblePassword(QStringLiteral("Secret")));
}

TEST(Passwords, AStoredValueWithForeignCharactersMatchesNothing) {
    EXPECT_EQ(UnscramblePassword(QStringLiteral("73G1")), std::nullopt);
    EXPECT_EQ(UnscramblePassword(QStringLiteral("73a")), QStringLiteral("A"));  // last odd one ignored
    EXPECT_EQ(UnscramblePassword(QStringLiteral("7\u00ff")), std::nullopt);
    EXPECT_EQ(UnscramblePassword(QStringLiteral("73z1")), std::nullopt);
}
