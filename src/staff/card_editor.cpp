#include "staff/card_editor.h"

#include "staff/groups.h"
#include "store/messages.h"
#include "store/photo_codec.h"
#include "store/photo_files.h"
#include "store/photo_transform.h"

#include <QStringList>

namespace tallyport {
namespace {

const QString kComColumns = QStringLiteral("COM1,COM2,COM3,COM4,COM5,COM6,COM7,COM8");

Result<std::optional<qint64>> cardRowId(Database& src, int cardNo) {
    return src.scalarInt(QStringLiteral("select SEQ from staffs where CARDNO=?"), cardNo);
}

void readRow(const Statement& st, CardEdit& edit) {
    edit.registered = true;
    edit.name = st.text(0);
    edit.groupName = st.isNull(1) ? QString() : st.text(1);
    edit.offline = st.yesNo(2);
    edit.memo = st.text(3);
    if (!LoadPhotoFromField(st.blob(4), edit.photo)) ClearPhoto(edit.photo);
    for (int i = 0; i < kCardReaderPorts; ++i) edit.com[size_t(i)] = st.yesNo(5 + i);
}

// The bytes of the photo column: the picture at the card size, as JPEG.
Result<QByteArray> cardPhotoBytes(Picture picture) {
    if (picture.isEmpty()) ClearPhoto(picture);
    if (auto r = ResizePicture(picture, kCardPhotoWidth, kCardPhotoHeight); !r)
        return std::unexpected(r.error());
    return StorePhotoToField(picture);
}

Result<void> writeRow(Database& src, const CardEdit& edit, bool exists, const QByteArray& photo) {
    const auto found = edit.groupName.isEmpty() ? Result<int>(0) : GroupId(src, edit.groupName);
    if (!found) return std::unexpected(found.error());
    const int group = *found;
    const auto& c = edit.com;
    const QString sql =
        exists ? QStringLiteral(
                     "update staffs set NAME=?,WORKGRP=?,OFFLINE=?,MEMO=?,PHOTO=?,"
                     "COM1=?,COM2=?,COM3=?,COM4=?,COM5=?,COM6=?,COM7=?,COM8=? "
                     "where CARDNO=?")
               : QStringLiteral("insert into staffs(NAME,WORKGRP,OFFLINE,MEMO,PHOTO,") +
                     kComColumns + QStringLiteral(",CARDNO) values (?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    return src.run(sql, edit.name, group, edit.offline, edit.memo, photo, c[0], c[1], c[2], c[3],
                   c[4], c[5], c[6], c[7], edit.cardNo);
}

}  // namespace

Result<CardEdit> loadCardEdit(Database& src, int cardNo) {
    CardEdit edit;
    edit.cardNo = cardNo;
    ClearPhoto(edit.photo);
    // The group's name comes with the row; a group that is gone reads as none.
    auto st =
        src.prepare(QStringLiteral("select NAME,gid.descx,OFFLINE,MEMO,PHOTO,") + kComColumns +
                    QStringLiteral(" from staffs left join gid on gid.id=staffs.WORKGRP"
                                   " where CARDNO=?"));
    if (!st) return std::unexpected(st.error());
    st->bind(1, cardNo);
    auto found = st->step();
    if (!found) return std::unexpected(found.error());
    if (*found) {
        readRow(*st, edit);
        return edit;
    }
    auto group = firstGroupName(src);
    if (!group) return std::unexpected(group.error());
    edit.groupName = *group;
    return edit;
}

Result<QString> checkCardName(Database& src, const QString& typed, bool registered) {
    const QString name = typed.trimmed();
    if (name.isEmpty()) return fail(msg::IncorrectName);
    if (registered) return name;
    // Refused, never cut: a cut name could match another holder's or lose what tells two apart.
    if (name.size() > kCardNameLength) return fail(msg::NameTooLong);
    auto used = src.scalarInt(
        QStringLiteral("select 1 from staffs where NAME=? collate nocase limit 1"), name);
    if (!used) return std::unexpected(used.error());
    if (used->has_value()) return fail(msg::NameUsed);
    return name;
}

Result<bool> saveCardEdit(Database& src, const CardEdit& edit) {
    auto row = cardRowId(src, edit.cardNo);
    if (!row) return std::unexpected(row.error());
    const bool exists = row->has_value();
    if (edit.name.isEmpty()) {
        if (!exists) return false;
        auto r = src.run(QStringLiteral("delete from staffs where CARDNO=?"), edit.cardNo);
        if (!r) return std::unexpected(r.error());
        return true;
    }
    if (edit.name.size() > kCardNameLength) return fail(msg::NameTooLong);
    auto photo = cardPhotoBytes(edit.photo);
    if (!photo) return std::unexpected(photo.error());
    if (auto r = writeRow(src, edit, exists, *photo); !r) return std::unexpected(r.error());
    return true;
}

bool EditCard(Database& src, Operator& op, int cardNo, const CardEditorView& show) {
    auto edit = loadCardEdit(src, cardNo);
    if (!edit) {
        op.error(msg::DatabaseError);
        return false;
    }
    if (!show(*edit)) return false;
    auto saved = saveCardEdit(src, *edit);
    if (!saved) {
        op.error(msg::UpdateFailed);
        return false;
    }
    return *saved;
}

}  // namespace tallyport
