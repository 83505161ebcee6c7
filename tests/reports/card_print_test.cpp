// Identity cards and the member list without pages: the remark lines of a memo, the holders of
// each scope with their photos, where the cards sit on a sheet, and the card settings and
// pictures kept between runs.
#include "reports/card_print.h"
#include "reports/member_list.h"
#include "store/photo_codec.h"
#include "store/setting_names.h"
#include "store/settings.h"
#include "support/store_fixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace tallyport {
namespace {

// A settings store of its own, so what this test remembers reaches no other test.
class OwnSettings {
public:
    OwnSettings() : m_old(qgetenv("XDG_CONFIG_HOME")) {
        qputenv("XDG_CONFIG_HOME", m_dir.path().toUtf8());
    }
    ~OwnSettings() { qputenv("XDG_CONFIG_HOME", m_old); }

private:
    QByteArray m_old;
    QTemporaryDir m_dir;
};

using Remarks = std::array<QString, kCardRemarkLines>;

TEST(CardRemarks, FirstFourLinesEachCutTo38Characters) {
    const QString fifty = QString(50, u'x');
    const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80");  // two UTF-16 units
    struct Case {
        const char* what;
        QString memo;
        Remarks expected;
    };
    const Case cases[] = {
        {"six lines",
         QStringLiteral("one\ntwo\nthree\nfour\nfive\nsix"),
         {QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three"),
          QStringLiteral("four")}},
        {"a line of 50",
         fifty + QStringLiteral("\nshort"),
         {QString(38, u'x'), QStringLiteral("short")}},
        {"fewer lines", QStringLiteral("only"), {QStringLiteral("only")}},
        {"no memo", QString(), {}},
        {"CR LF and CR",
         QStringLiteral("a\r\nb\rc\r\n\r\ne"),
         {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QString()}},
        {"a blank line kept in place",
         QStringLiteral("a\n\nc"),
         {QStringLiteral("a"), QString(), QStringLiteral("c")}},
        {"never half a character",
         QString(37, u'y') + smile + QStringLiteral("z"),
         {QString(37, u'y')}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(cardRemarks(c.memo), c.expected);
    }
}

class CardHolders : public test::StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        addGroup(3, QStringLiteral("Office"));
        addGroup(4, QStringLiteral("Plant"));
        addStaff(30, QStringLiteral("Zoe Hart"), 3);
        addStaff(10, QStringLiteral("Adam Bell"), 4);
        addStaff(20, QStringLiteral("Mia Cole"), 3);
        addStaff(40, QStringLiteral("Ned Gone"), 9);  // a group since deleted
        ASSERT_TRUE(data.src().run(
            QStringLiteral("update staffs set MEMO=?, PHOTO=? where CARDNO=20"),
            QStringLiteral("line 1\nline 2\nline 3\nline 4\nline 5"), QByteArray("jpeg bytes")));
    }
    static std::vector<int> cards(const std::vector<CardHolder>& holders) {
        std::vector<int> out;
        for (const CardHolder& h : holders) out.push_back(h.cardNo);
        return out;
    }
};

TEST_F(CardHolders, EachScopeInItsOrderWithPhotoAndRemarks) {
    const auto all = selectCardHolders(data.src(), StaffScope::All, 0);
    ASSERT_TRUE(all);
    EXPECT_EQ(cards(*all), (std::vector<int>{10, 20, 40, 30}));  // by name
    const CardHolder& mia = (*all)[1];
    EXPECT_EQ(mia.name, QStringLiteral("Mia Cole"));
    EXPECT_EQ(mia.group, QStringLiteral("Office"));
    EXPECT_EQ(mia.photo, QByteArray("jpeg bytes"));
    EXPECT_EQ(mia.remarks[3], QStringLiteral("line 4"));
    EXPECT_TRUE((*all)[0].photo.isEmpty());
    EXPECT_TRUE((*all)[2].group.isEmpty());

    EXPECT_EQ(cards(selectCardHolders(data.src(), StaffScope::Group, 3).value()),
              (std::vector<int>{20, 30}));
    EXPECT_TRUE(selectCardHolders(data.src(), StaffScope::Group, 0).value().empty());
    EXPECT_TRUE(selectCardHolders(data.src(), StaffScope::PickList, 0).value().empty());
    // The pick list in the order the holders were registered in.
    ASSERT_TRUE(data.src().run(QStringLiteral("update staffs set PICKED=1 where CARDNO<>20")));
    EXPECT_EQ(cards(selectCardHolders(data.src(), StaffScope::PickList, 0).value()),
              (std::vector<int>{30, 10, 40}));
}

TEST_F(CardHolders, MemberRowsCarryTheWholeMemo) {
    const auto rows = selectMembers(data.src(), StaffScope::Group, 3);
    ASSERT_TRUE(rows);
    ASSERT_EQ(rows->size(), 2u);
    EXPECT_EQ((*rows)[0].memo, QStringLiteral("line 1\nline 2\nline 3\nline 4\nline 5"));
    EXPECT_EQ((*rows)[1].name, QStringLiteral("Zoe Hart"));
}

TEST_F(CardHolders, AFailedReadSaysDatabaseError) {
    ASSERT_TRUE(data.src().exec(QStringLiteral("drop table staffs")));
    const auto holders = selectCardHolders(data.src(), StaffScope::All, 0);
    ASSERT_FALSE(holders);
    EXPECT_EQ(holders.error().text, QStringLiteral("Database Error."));
    const auto rows = selectMembers(data.src(), StaffScope::All, 0);
    ASSERT_FALSE(rows);
    EXPECT_EQ(rows.error().text, QStringLiteral("Database Error."));
}

TEST(CardSheet, CardsFlowDownEachColumnThenAcross) {
    struct Case {
        CardStyle style;
        int index;
        CardPlace expected;
    };
    const Case cases[] = {
        {CardStyle::Horizontal, 0, {0, 0, 0}},    {CardStyle::Horizontal, 1, {0, 0, 54}},
        {CardStyle::Horizontal, 4, {0, 0, 216}},  {CardStyle::Horizontal, 5, {0, 95, 0}},
        {CardStyle::Horizontal, 9, {0, 95, 216}}, {CardStyle::Horizontal, 10, {1, 0, 0}},
        {CardStyle::Vertical, 2, {0, 0, 170}},    {CardStyle::Vertical, 3, {0, 59, 0}},
        {CardStyle::Vertical, 8, {0, 118, 170}},  {CardStyle::Vertical, 9, {1, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        const CardPlace p = cardPlace(c.style, c.index);
        EXPECT_EQ(p.page, c.expected.page);
        EXPECT_DOUBLE_EQ(p.left, c.expected.left);
        EXPECT_DOUBLE_EQ(p.top, c.expected.top);
    }
    EXPECT_EQ(cardSheetPages(CardStyle::Horizontal, 0), 1);  // an empty sheet
    EXPECT_EQ(cardSheetPages(CardStyle::Horizontal, 10), 1);
    EXPECT_EQ(cardSheetPages(CardStyle::Horizontal, 11), 2);
    EXPECT_EQ(cardSheetPages(CardStyle::Vertical, 19), 3);
}

// Every card inside the sheet's margins, every picture and rule inside its card.
TEST(CardSheet, EverythingFitsItsCardAndEveryCardItsSheet) {
    const double areaWidth = kSheetWidth - 2 * kSheetMarginSide;
    const double areaHeight = kSheetHeight - 2 * kSheetMarginTop;
    for (CardStyle style : {CardStyle::Horizontal, CardStyle::Vertical}) {
        const CardLayout& card = cardLayout(style);
        const CardSheetLayout sheet = cardSheetLayout(style);
        const CardPlace last = cardPlace(style, sheet.perPage() - 1);
        EXPECT_LE(last.left + card.width, areaWidth + 1e-9);
        EXPECT_LE(last.top + card.height, areaHeight + 1e-9);
        for (const MmRect& r : {card.logo, card.photo}) {
            EXPECT_LE(r.left + r.width, card.width);
            EXPECT_LE(r.top + r.height, card.height);
        }
        EXPECT_LE(card.ruleLeft + card.ruleLength, card.width);
        EXPECT_LT(card.ruleTops.back(), card.height);
    }
}

TEST(CardSettingsStore, DefaultsThenWhatSaveStored) {
    OwnSettings own;
    const CardSettings defaults = readCardSettings();
    EXPECT_TRUE(defaults.preview && defaults.transparent && defaults.titleOn && defaults.frame);
    EXPECT_FALSE(defaults.logoOn);
    EXPECT_EQ(defaults.title, QStringLiteral("STAFF CARD"));
    EXPECT_EQ(defaults.remarkOn, (std::array<bool, 4>{true, false, false, false}));
    EXPECT_EQ(defaults.remarkLabels, (Remarks{QStringLiteral("Remark")}));
    EXPECT_EQ(defaults.style, CardStyle::Horizontal);

    QTemporaryDir folder;
    CardSettings s = defaults;
    s.transparent = false;
    s.title = QStringLiteral("VISITOR");
    s.remarkOn = {false, true, true, false};
    s.remarkLabels = {QString(), QStringLiteral("Badge"), QStringLiteral("Room"), QString()};
    s.logoOn = true;
    s.style = CardStyle::Vertical;  // remembered when clicked, not by Save
    CardPictures pictures{Picture(200, 100, 0, 0, 255), Picture(30, 30, 255, 0, 0), {}};
    ASSERT_TRUE(saveCardSetup(folder.path(), s, pictures));
    CardSettings back = readCardSettings();
    EXPECT_EQ(back.style, CardStyle::Horizontal);
    back.style = CardStyle::Vertical;
    EXPECT_EQ(back.title, s.title);
    EXPECT_EQ(back.remarkOn, s.remarkOn);
    EXPECT_EQ(back.remarkLabels, s.remarkLabels);
    EXPECT_FALSE(back.transparent);
    EXPECT_TRUE(back.logoOn);
    EXPECT_TRUE(ReadSettingBool(setting::CardBackEnable, false));
    ASSERT_TRUE(writeCardStyle(CardStyle::Vertical));
    EXPECT_EQ(readCardSettings().style, CardStyle::Vertical);

    const CardPictures loaded = loadCardPictures(folder.path());
    EXPECT_EQ(loaded.background.width(), 200);
    EXPECT_EQ(loaded.background.height(), 100);
    EXPECT_EQ(loaded.logo.width(), 30);
}

TEST(CardSettingsStore, APictureThatCannotBeSavedStopsTheSave) {
    OwnSettings own;
    QTemporaryDir parent;
    const QString missing = QDir(parent.path()).filePath(QStringLiteral("gone"));
    CardSettings s;
    s.title = QStringLiteral("NOT STORED");
    const CardPictures pictures{Picture(10, 10), Picture(10, 10), {}};
    const auto saved = saveCardSetup(missing, s, pictures);
    ASSERT_FALSE(saved);
    EXPECT_TRUE(saved.error().text.contains(QStringLiteral("cardback.jpg")));
    EXPECT_EQ(readCardSettings().title, QStringLiteral("STAFF CARD"));
}

TEST(CardPicturesFolder, MissingOrDamagedFilesGiveBlankPictures) {
    QTemporaryDir folder;
    QFile damaged(QDir(folder.path()).filePath(kCardLogoFile));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(encodeJpeg(Picture(50, 40, 0, 0, 0)).value().left(200));  // cut short
    damaged.close();
    const CardPictures p = loadCardPictures(folder.path());
    const Picture white(100, 100, 255, 255, 255);
    EXPECT_EQ(p.background, white);
    EXPECT_EQ(p.logo, white);
    // Only the damaged file is named: a missing one is the usual blank.
    EXPECT_EQ(p.unreadable, QStringList{damaged.fileName()});
    EXPECT_EQ(unreadableCardPictureText(damaged.fileName()),
              QStringLiteral("The picture \"%1\" cannot be read: a blank one stands in its place.")
                  .arg(damaged.fileName()));
}

}  // namespace
}  // namespace tallyport
