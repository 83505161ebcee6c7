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
    std::vector<StaffRow> rows;
    for (;;) {
        auto more = st->step();
        if (!more) return std::unexpected(more.error());
        if (!*more) break;
        rows.push_back({st->integer(0), st->text(1), st->text(2)});
    }
    return rows;
}

Result<QByteArray> loadCardPhoto(Database& src, int cardNo) {
    auto st = src.prepare(QStringLiteral("select PHOTO from staffs where CARDNO=?"));
    if (!st) return std::unexpected(st.error());
    st->bind(1, cardNo);
    auto row = st->step();
    if (!row) return std::unexpected(row.error());
    return *row ? st->blob(0) : QByteArray();
}

}  // namespace tallyport
