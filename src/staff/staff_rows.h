#pragma once

#include "base/error.h"
#include "store/sqlcipher_db.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace tallyport {

// One line of the card lists: card, holder and the name of the holder's work group (empty
// when the group is gone). Photos are not part of it: a list of thousands of holders would
// otherwise decode every photo only to show one.
struct StaffRow {
    int cardNo = 0;
    QString name;
    QString workGroup;
};

// The column a list sorts by for a clicked title: "WORKGROUP" sorts by the group's name
// "DESCX". Only CARDNO, NAME and DESCX are accepted (any letter case); anything else, a
// damaged stored value included, sorts by NAME, so no stored text ever reaches the query.
QString sortColumnForTitle(const QString& title);

// The sort column kept under a settings name ("CI_member", "PL_member" …), NAME by default.
QString storedSortColumn(const QString& settingName);
void storeSortColumn(const QString& settingName, const QString& column);

// Every holder in the order of sortColumn and then NAME; only those whose pick mark equals
// `picked` when it is given.
Result<std::vector<StaffRow>> loadStaffRows(Database& src, const QString& sortColumn,
                                            std::optional<bool> picked = std::nullopt);

// The stored photo of one card (empty when none or no such card).
Result<QByteArray> loadCardPhoto(Database& src, int cardNo);

}  // namespace tallyport
