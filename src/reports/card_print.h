#pragma once

#include "base/error.h"
#include "reports/card_layout.h"
#include "staff/pick_list.h"
#include "store/output_guard.h"
#include "store/photo_picture.h"
#include "store/sqlcipher_db.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <vector>

// Identity cards of the card holders: what a card shows, the remembered card settings and the
// background and logo pictures kept in the data folder.
namespace tallyport {

class WorkContext;

inline const QString kCardSheetTitle = QStringLiteral("Print Member Card");

// A remark line of a card holds at most this many characters of its memo line.
inline constexpr int kCardRemarkLength = 38;

struct CardSettings {
    bool preview = true;
    bool transparent = true;  // value texts without a white ground of their own
    bool titleOn = true;
    QString title = QStringLiteral("STAFF CARD");
    std::array<bool, kCardRemarkLines> remarkOn{true, false, false, false};
    std::array<QString, kCardRemarkLines> remarkLabels{QStringLiteral("Remark")};
    bool logoOn = false;
    bool frame = true;
    CardStyle style = CardStyle::Horizontal;
};

// The remembered settings, their defaults where none is stored.
CardSettings readCardSettings();
// The style is remembered as soon as it is chosen; false when it could not be stored.
bool writeCardStyle(CardStyle style);

struct CardPictures {
    Picture background;
    Picture logo;
    QStringList unreadable;  // files that are there but could not be read, in that order
};
// The pictures of the data folder at their own size; a blank picture (100 x 100 white) for a
// file that is missing or cannot be read.
CardPictures loadCardPictures(const QString& folder);
// What the operator is told of such a file.
QString unreadableCardPictureText(const QString& path);
// The two pictures as "cardback.jpg" and "cardlogo.jpg", then every card setting but the
// style. Stops at the first failure and answers its reason.
Result<void> saveCardSetup(const QString& folder, const CardSettings& settings,
                           const CardPictures& pictures);

// The first four lines of a memo (lines end with CR LF, LF or CR), each cut to its first 38
// characters; empty texts where the memo has fewer lines.
std::array<QString, kCardRemarkLines> cardRemarks(const QString& memo);

struct CardHolder {
    int cardNo = 0;
    QString name;
    QString group;  // empty when the holder's group is gone
    std::array<QString, kCardRemarkLines> remarks;
    QByteArray photo;  // the stored JPEG; empty when none
};

// The holders of a scope in its order (All and Group by name, the pick list in the store's
// order) with their photos. Fails with "Database Error." when the holders cannot be read;
// `work` hears the progress and may cancel.
Result<std::vector<CardHolder>> selectCardHolders(Database& src, StaffScope scope, int groupId,
                                                  WorkContext* work = nullptr);

// Everything a card sheet is printed from.
struct CardPrintJob {
    CardSettings settings;
    CardPictures pictures;
    std::vector<CardHolder> holders;
};

}  // namespace tallyport
