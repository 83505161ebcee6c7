#include "reports/card_print.h"

#include "base/long_work.h"
#include "store/messages.h"
#include "store/photo_codec.h"
#include "store/photo_files.h"
#include "store/photo_transform.h"
#include "store/setting_names.h"
#include "store/settings.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace tallyport {

namespace {

// Room for the largest picture allowed at 32 bits a pixel, and its headers.
constexpr qint64 kMaxCardPictureFile = kMaxPicturePixels * 4 + 1024 * 1024;

// A file that is there but cannot be read is named in `unreadable`.
Picture loadOrBlank(const QString& path, QStringList& unreadable) {
    Picture picture;
    ClearPhoto(picture);
    QFile file(path);
    if (!file.exists()) return picture;
    if (file.open(QIODevice::ReadOnly) && file.size() <= kMaxCardPictureFile)
        if (Result<Picture> decoded = decodeJpeg(file.readAll())) return std::move(*decoded);
    unreadable << path;
    return picture;
}

// The first `n` characters, never half of a character written as two UTF-16 units.
QString leftCharacters(const QString& text, int n) {
    if (text.size() <= n) return text;
    if (text.at(n - 1).isHighSurrogate()) --n;
    return text.left(n);
}

constexpr int kCheckEvery = 64;

}  // namespace

CardSettings readCardSettings() {
    CardSettings s;
    s.preview = ReadSettingBool(setting::CardPreview, true);
    s.transparent = ReadSettingBool(setting::CardTransparent, true);
    s.titleOn = ReadSettingBool(setting::CardTitleEnable, true);
    s.title = ReadSettingText(setting::CardTitleString, QStringLiteral("STAFF CARD"));
    for (int i = 0; i < kCardRemarkLines; ++i) {
        s.remarkOn[size_t(i)] = ReadSettingBool(setting::CardRemarkEnable(i + 1), i == 0);
        s.remarkLabels[size_t(i)] = ReadSettingText(setting::CardRemakrString(i + 1),
                                                    i == 0 ? QStringLiteral("Remark") : QString());
    }
    s.logoOn = ReadSettingBool(setting::CardLogoEnable, false);
    s.frame = ReadSettingBool(setting::CardBackFrame, true);
    s.style =
        ReadSettingBool(setting::Card_Style, true) ? CardStyle::Horizontal : CardStyle::Vertical;
    return s;
}

bool writeCardStyle(CardStyle style) {
    return WriteSettingBool(setting::Card_Style, style == CardStyle::Horizontal);
}

CardPictures loadCardPictures(const QString& folder) {
    const QDir dir(folder);
    CardPictures out;
    out.background = loadOrBlank(dir.filePath(kCardBackFile), out.unreadable);
    out.logo = loadOrBlank(dir.filePath(kCardLogoFile), out.unreadable);
    return out;
}

QString unreadableCardPictureText(const QString& path) {
    return QStringLiteral("The picture \"%1\" cannot be read: a blank one stands in its place.")
        .arg(QDir::toNativeSeparators(path));
}

Result<void> saveCardSetup(const QString& folder, const CardSettings& s,
                           const CardPictures& pictures) {
    const SettingsFailuresAnswered answered;  // the caller hears of a failure from the result
    const QDir dir(folder);
    if (auto r = SavePictureAsJpeg(pictures.background, dir.filePath(kCardBackFile)); !r) return r;
    if (auto r = SavePictureAsJpeg(pictures.logo, dir.filePath(kCardLogoFile)); !r) return r;
    // The back side's switch is always on; nothing reads it back.
    bool ok = WriteSettingBool(setting::CardBackEnable, true);
    ok = WriteSettingBool(setting::CardBackFrame, s.frame) && ok;
    ok = WriteSettingBool(setting::CardLogoEnable, s.logoOn) && ok;
    ok = WriteSettingBool(setting::CardPreview, s.preview) && ok;
    ok = WriteSettingBool(setting::CardTransparent, s.transparent) && ok;
    ok = WriteSettingBool(setting::CardTitleEnable, s.titleOn) && ok;
    for (int i = 0; i < kCardRemarkLines; ++i)
        ok = WriteSettingBool(setting::CardRemarkEnable(i + 1), s.remarkOn[size_t(i)]) && ok;
    ok = WriteSettingText(setting::CardTitleString, s.title) && ok;
    for (int i = 0; i < kCardRemarkLines; ++i)
        ok = WriteSettingText(setting::CardRemakrString(i + 1), s.remarkLabels[size_t(i)]) && ok;
    if (!ok)
        return fail(
            QStringLiteral("The settings store \"%1\" cannot be written.").arg(settingsFilePath()));
    return {};
}

std::array<QString, kCardRemarkLines> cardRemarks(const QString& memo) {
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    std::array<QString, kCardRemarkLines> out;
    if (memo.isEmpty()) return out;
    const QStringList lines = memo.split(lineEnd);
    for (int i = 0; i < kCardRemarkLines && i < lines.size(); ++i)
        out[size_t(i)] = leftCharacters(lines[i], kCardRemarkLength);
    return out;
}

Result<std::vector<CardHolder>> selectCardHolders(Database& src, StaffScope scope, int groupId,
                                                  WorkContext* work) {
    const StaffScopeQuery q =
        staffScopeLines(scope, groupId, QStringLiteral("CARDNO,NAME,descx,MEMO,PHOTO"));
    auto st = src.prepare(q.sql());
    if (!st) return fail(msg::DatabaseError);
    if (q.groupId) st->bind(1, *q.groupId);
    std::vector<CardHolder> out;
    for (;;) {
        if (work && out.size() % kCheckEvery == 0 && work->cancelled()) return fail(kWorkCancelled);
        const auto more = st->step();
        if (!more) return fail(msg::DatabaseError);
        if (!*more) return out;
        out.push_back(
            {st->integer(0), st->text(1), st->text(2), cardRemarks(st->text(3)), st->blob(4)});
    }
}

}  // namespace tallyport
