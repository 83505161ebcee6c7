#pragma once

#include <QString>
#include <optional>

namespace tallyport {

class DataModule;

inline const QString kLoginPasswordKey = QStringLiteral("LOGINPWD");

// The operator password is kept scrambled: two characters of "0"-"9", "A"-"F" per byte of
// its UTF-8 text.
QString ScramblePassword(const QString& password);
// Nothing when the stored text holds any other character: such a value matches no password.
std::optional<QString> UnscramblePassword(const QString& stored);

// A password is registered when "LOGINPWD" holds a value that is not blank.
bool PasswordRegistered(DataModule& data);
// True when typed is the registered password.
bool passwordMatches(DataModule& data, const QString& typed);

}  // namespace tallyport
