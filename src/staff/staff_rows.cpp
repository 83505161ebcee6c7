#include "staff/staff_rows.h"

#include "store/settings.h"

#include <QStringList>

namespace tallyport {

QString sortColumnForTitle(const QString& title) {
    const QString upper = title.trimmed().toUpper();
    if (upper == QLatin1String("WORKGROUP")) return QStringLiteral("DESCX");
    static const QStringList allowed = {QStringLiteral("CARDNO"), QStringLiteral("NAME"),
                                        QStringLiteral("DESCX")};
    return allowed.contains(upper) ? upper : QStringLiteral("NAME");
}

QString storedSortColumn(const QString& settingName) {
    return sortColumnForTitle(ReadSettingText(settingName, QStringLiteral("NAME")));
}

void storeSortColumn(const QString& settingName, const QString& column) {
    WriteSettingText(settingName, sortColumnForTitle(column));
}

Result<std::vector<StaffRow>> loadStaffRows(Database& src, const QString& sortColumn,
                                            std::optional<bool> picked) {
    // The column comes from the fixed list above; values are bound.
    QStringList lines = {QStringLiteral("select CARDNO,NAME,"),
                         QStringLiteral("descx as WORKGROUP from staffs"),
                         QStringLiteral("left join gid on staffs.workgrp=gid.id")};
    if (picked) lines << QStringLiteral("where PICKED=?");
    lines << QStringLiteral("order by") << sortColumnForTitle(sortColumn) + QStringLiteral(",NAME");
    auto st = src.prepare(lines.join(QLatin1Char('\n')));
    if (!st) return std::unexpected(st.error());
    if (picked) st->bind(1, *picked);
    return st->collect([](const Statement& row) {
        return StaffRow{row.integer(0), row.text(1), row.text(2)};
    });
}

Result<QByteArray> loadCardPhoto(Database& src, int cardNo) {
    auto photo = src.queryOne(
        QStringLiteral("select PHOTO from staffs where CARDNO=?"),
        [](const Statement& st) { return st.blob(0); }, cardNo);
    if (!photo) return std::unexpected(photo.error());
    return photo->value_or(QByteArray());
}

}  // namespace tallyport
