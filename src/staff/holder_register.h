#pragma once

#include "base/error.h"
#include "staff/card_editor.h"
#include "store/sqlcipher_db.h"

#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

namespace tallyport {

// The largest number a card carries (three bytes on the wire).
inline constexpr int kMaxCardNumber = 16777215;

namespace msg {
inline const QString CardNumberRange =
    QStringLiteral("A card number is a whole number from 1 to 16777215.");               // error
inline const QString CardRegisteredTo = QStringLiteral("Card %1 is registered to %2.");  // error
inline const QString NoGroupNamed = QStringLiteral("There is no work group named %1.");  // error
}  // namespace msg

// Registering card holders before their card was ever read: the checks the card editor's Add
// Card makes, and what the command line and the holder file import do with them.

// The name of the card's holder; nothing when the card is not registered.
Result<std::optional<QString>> holderOfCard(Database& src, int cardNo);

// The number of a card to register: a whole number 1..16777215 that no holder has yet. A
// registered card is refused with its holder's name.
Result<int> checkNewCardNumber(Database& src, const QString& typed);

struct HolderRow {
    int cardNo = 0;
    QString name;
    QString group;  // empty: none
    std::array<bool, kCardReaderPorts> com{};
};
// Every holder in card order.
Result<std::vector<HolderRow>> listHolders(Database& src);

// Registers a new card as the card editor would store it with only a name: the checks of the
// number and the name, the group named (letter case aside) or, when empty, the first group.
// An unknown group is refused.
Result<void> addHolder(Database& src, int cardNo, const QString& name, const QString& group);

// Deletes the card's holder and answers the name it had; "No record." for an unknown card.
Result<QString> removeHolder(Database& src, int cardNo);

// A file of holders, one "CARD,NAME,GROUP" per line (GROUP may be left out; a first line whose
// card is not a number is a heading). Every holder that passes the checks of addHolder is
// added; one that fails is counted, with its line and reason. Committed as one transaction, so
// a failure of the store adds nobody.
struct HolderFileCounts {
    int added = 0;
    int duplicated = 0;  // the card was registered already
    int errors = 0;
    QStringList problems;  // "line N: reason", one per refused line
};
Result<HolderFileCounts> importHolderFile(Database& src, const QString& path);
// "Staff Added = a records" then "Duplicated = d records" and "Error = e records" when not zero,
// one per line.
QString holderFileSummary(const HolderFileCounts& counts);

}  // namespace tallyport
