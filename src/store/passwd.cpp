#include "store/passwd.h"

#include "store/data_module.h"

#include <array>

namespace tallyport {
namespace {

constexpr char kTable[] = "B3E1790C4AF6D258";

int digitValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    return -1;
}

// For each n, the position of n's digit in the table holds the digit of n.
constexpr auto kInverse = [] {
    std::array<char, 16> inv{};
    constexpr char hex[] = "0123456789ABCDEF";
    for (int n = 0; n < 16; ++n) {
        const char c = kTable[n];
        const int v = c < 'A' ? c - '0' : c - 'A' + 10;
        inv[size_t(v)] = hex[n];
    }
    return inv;
}();

QString trimmedOfControls(const QString& s) {
    qsizetype b = 0, e = s.size();
    while (b < e && s[b].unicode() <= ' ') ++b;
    while (e > b && s[e - 1].unicode() <= ' ') --e;
    return s.mid(b, e - b);
}

}  // namespace

QString ScramblePassword(const QString& password) {
    QString out;
    for (const char ch : password.toUtf8()) {
        const auto b = static_cast<unsigned char>(ch);
        out += QLatin1Char(kTable[b / 16]);
        out += QLatin1Char(kTable[b % 16]);
    }
    return out;
}

std::optional<QString> UnscramblePassword(const QString& stored) {
    QByteArray bytes;
    for (qsizetype i = 0; i + 1 < stored.size(); i += 2) {
        const int d1 = digitValue(stored[i]);
        const int d2 = digitValue(stored[i + 1]);
        if (d1 < 0 || d2 < 0) return std::nullopt;
        const int high = digitValue(QLatin1Char(kInverse[size_t(d1)]));
        const int low = digitValue(QLatin1Char(kInverse[size_t(d2)]));
        bytes.append(char(high * 16 + low));
    }
    return QString::fromUtf8(bytes);
}

bool PasswordRegistered(DataModule& data) {
    const auto [found, value] = data.GetKeyValue(kLoginPasswordKey);
    return found && !trimmedOfControls(value).isEmpty();
}

bool passwordMatches(DataModule& data, const QString& typed) {
    const auto [found, value] = data.GetKeyValue(kLoginPasswordKey);
    const auto password = UnscramblePassword(value);
    return found && password && *password == typed;
}

}  // namespace tallyport
