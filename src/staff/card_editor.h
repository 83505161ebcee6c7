#pragma once

#include "base/error.h"
#include "base/operator.h"
#include "store/photo_picture.h"
#include "store/sqlcipher_db.h"

#include <QString>
#include <array>
#include <functional>

namespace tallyport {

namespace msg {
inline const QString IncorrectName = QStringLiteral("Incorrect name.");  // error
inline const QString NameUsed = QStringLiteral("Name has been used.");   // error
inline const QString NameTooLong =
    QStringLiteral("Name too long: a name holds at most 16 characters.");  // error
inline const QString ConfirmDeleteCard =
    QStringLiteral("Are you sure to delete the record?");          // confirm
inline const QString NoCardRecord = QStringLiteral("No record.");  // error
}  // namespace msg

inline constexpr int kCardNameLength = 16;  // the NAME column's size
inline constexpr int kCardReaderPorts = 8;

// What the card editor shows and answers. An empty name after the editor closed with OK
// means Delete.
struct CardEdit {
    int cardNo = 0;
    bool registered = false;  // the card has a holder: the name cannot change
    QString name;
    QString groupName;  // empty: no group (stored as 0)
    std::array<bool, kCardReaderPorts> com{};
    bool offline = false;
    QString memo;
    Picture photo;  // blank when the card has none
};

// The editor's starting state: the stored row, or a new card in the first group.
Result<CardEdit> loadCardEdit(Database& src, int cardNo);

// The check of Confirm: the trimmed name, or the text to refuse it with. A registered card's
// name is its stored one and is not checked again. Names compare without letter case.
Result<QString> checkCardName(Database& src, const QString& typed, bool registered);

// Stores the editor's answer: an empty name deletes the card's row, any other updates or
// adds it. TIMEGRP, ACCESSGRP and PICKED of an existing row stay; the photo is stored as a
// 240 x 320 JPEG. True when a row was stored or deleted; nothing changes on failure.
Result<bool> saveCardEdit(Database& src, const CardEdit& edit);

// Runs the editor for a card: `show` displays it and answers true for OK, with the edit
// changed in place. True when a row was stored or deleted; a failure to store shows
// "Fail to update the database record. Please retry." and answers false.
using CardEditorView = std::function<bool(CardEdit&)>;
bool EditCard(Database& src, Operator& op, int cardNo, const CardEditorView& show);

}  // namespace tallyport
