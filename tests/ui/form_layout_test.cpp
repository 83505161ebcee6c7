#include "ui/form_layout.h"
#include "base/field_kind.h"
#include "store/settings.h"
#include "support/dialog_fixture.h"

#include <QHeaderView>
#include <QSettings>
#include <QStandardItemModel>
#include <QTableView>

namespace tallyport::test {
namespace {

class FormLayout : public ::testing::Test {
protected:
    void SetUp() override { ClearSettings(); }
    static bool stored(const QString& name) {
        QSettings s(settingsFilePath(), QSettings::IniFormat);
        return s.contains(QStringLiteral("TallyportTime/") + name);
    }
};

// One column per kind, and one whose model says nothing about its kind.
std::unique_ptr<QStandardItemModel> kindsModel() {
    auto model = std::make_unique<QStandardItemModel>(0, 5);
    const FieldKind kinds[4] = {FieldKind::Text, FieldKind::YesNo, FieldKind::DateTime,
                                FieldKind::Other};
    for (int i = 0; i < 4; ++i)
        model->setHeaderData(i, Qt::Horizontal, static_cast<int>(kinds[i]), FieldKindRole);
    return model;
}

TEST_F(FormLayout, GridColumnsDefaultByFieldKindAndStoredWidthsWin) {
    auto model = kindsModel();
    QTableView grid;
    grid.setModel(model.get());
    RestoreGridColumns(QStringLiteral("G"), &grid);
    const int expected[5] = {200, 50, 150, 100, 100};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(grid.columnWidth(i), expected[i]) << "column " << i;

    WriteSettingInt(QStringLiteral("G_1"), 77);
    WriteSettingInt(QStringLiteral("G_2"), -5);  // unusable: the default stays
    RestoreGridColumns(QStringLiteral("G"), &grid);
    EXPECT_EQ(grid.columnWidth(1), 77);
    EXPECT_EQ(grid.columnWidth(2), 150);
}

TEST_F(FormLayout, HiddenColumnKeepsItsWidthThroughSaveAndRestore) {
    auto model = kindsModel();
    QTableView grid;
    grid.setModel(model.get());
    grid.setColumnHidden(0, true);
    WriteSettingInt(QStringLiteral("G_0"), 123);
    RestoreGridColumns(QStringLiteral("G"), &grid);
    EXPECT_TRUE(grid.isColumnHidden(0));
    SaveGridColumns(QStringLiteral("G"), &grid);
    EXPECT_EQ(ReadSettingInt(QStringLiteral("G_0"), 0), 123);  // not the 0 a hidden column shows
    EXPECT_TRUE(grid.isColumnHidden(0));
    grid.setColumnHidden(0, false);
    EXPECT_EQ(grid.columnWidth(0), 123);
}

TEST_F(FormLayout, GridWithoutColumnsIsLeftAlone) {
    QTableView noModel;
    RestoreGridColumns(QStringLiteral("G"), &noModel);
    SaveGridColumns(QStringLiteral("G"), &noModel);
    QStandardItemModel empty(0, 0);
    QTableView grid;
    grid.setModel(&empty);
    RestoreGridColumns(QStringLiteral("G"), &grid);
    SaveGridColumns(QStringLiteral("G"), &grid);
    EXPECT_FALSE(stored(QStringLiteral("G_0")));
}

TEST_F(FormLayout, WindowDefaultsAndTheWindowsOwnMinimum) {
    QWidget window;
    window.setMinimumSize(320, 504);
    RestoreFormLayout(QStringLiteral("W"), &window);
    EXPECT_EQ(window.pos(), QPoint(0, 0));
    EXPECT_EQ(window.size(), QSize(640, 504));
    EXPECT_FALSE(window.isMaximized());
}

TEST_F(FormLayout, NormalWindowSavesPlacementAndRestoresIt) {
    {
        QWidget window;
        window.move(31, 42);
        window.resize(500, 400);
        SaveFormLayout(QStringLiteral("W"), &window);
    }
    EXPECT_EQ(ReadSettingInt(QStringLiteral("W_LEFT"), 0), 31);
    EXPECT_EQ(ReadSettingInt(QStringLiteral("W_TOP"), 0), 42);
    EXPECT_EQ(ReadSettingInt(QStringLiteral("W_WIDTH"), 0), 500);
    EXPECT_EQ(ReadSettingInt(QStringLiteral("W_HEIGHT"), 0), 400);
    EXPECT_TRUE(stored(QStringLiteral("W_MAX")));
    EXPECT_FALSE(ReadSettingBool(QStringLiteral("W_MAX"), true));
    QWidget again;
    RestoreFormLayout(QStringLiteral("W"), &again);
    EXPECT_EQ(again.pos(), QPoint(31, 42));
    EXPECT_EQ(again.size(), QSize(500, 400));
}

TEST_F(FormLayout, MaximisedWindowWritesOnlyMaxAndComesBackMaximised) {
    {
        QWidget window;
        window.setWindowState(Qt::WindowMaximized);
        SaveFormLayout(QStringLiteral("W"), &window);
    }
    EXPECT_TRUE(ReadSettingBool(QStringLiteral("W_MAX"), false));
    for (const char* suffix : {"_TOP", "_LEFT", "_WIDTH", "_HEIGHT"})
        EXPECT_FALSE(stored(QStringLiteral("W") + QLatin1String(suffix))) << suffix;

    WriteSettingInt(QStringLiteral("W_LEFT"), 15);
    WriteSettingInt(QStringLiteral("W_TOP"), 25);
    WriteSettingInt(QStringLiteral("W_WIDTH"), 420);
    WriteSettingInt(QStringLiteral("W_HEIGHT"), 310);
    QWidget window;
    RestoreFormLayout(QStringLiteral("W"), &window);
    window.show();
    EXPECT_TRUE(window.isMaximized());
    window.showNormal();  // leaving the maximised state finds the stored normal placement
    EXPECT_EQ(window.pos(), QPoint(15, 25));
    EXPECT_EQ(window.size(), QSize(420, 310));
}

}  // namespace
}  // namespace tallyport::test
