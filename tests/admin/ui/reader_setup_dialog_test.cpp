// The reader setup dialog on a running console whose reader 1 talks to the simulator.
#include "admin/ui/reader_setup_dialog.h"
#include "support/dialog_fixture.h"
#include "support/live_console.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>

using namespace tallyport;
using namespace tallyport::test;

namespace {

class ReaderSetupDialogTest : public LiveConsole {
protected:
    void SetUp() override {
        ClearSettings();
        LiveConsole::SetUp();
    }
    void TearDown() override {
        ExpectNoModalAwaited();
        LiveConsole::TearDown();
    }
};

QStringList visibleTitles(const QTableView* grid) {
    QStringList out;
    for (int c = 0; c < grid->model()->columnCount(); ++c)
        if (!grid->isColumnHidden(c))
            out << grid->model()->headerData(c, Qt::Horizontal).toString();
    return out;
}

TEST_F(ReaderSetupDialogTest, GridShowsTheRowsAndEditStoresABlankDescriptionAsThePortName) {
    ReaderSetupDialog dialog(console.readers(), console.data(), op);
    ASSERT_EQ(visibleTitles(dialog.ports),
              (QStringList{"Enabled", "IP Address", "IP Port", "Description", "Mode", "Lock Time",
                           "State"}));
    ASSERT_EQ(dialog.ports->model()->rowCount(), 8);
    // Each reader's link in words; no header cut short.
    EXPECT_EQ(column(dialog.ports, 11),
              (QStringList{"connected", "not enabled", "not enabled", "not enabled", "not enabled",
                           "not enabled", "not enabled", "not enabled"}));
    const QHeaderView* header = dialog.ports->horizontalHeader();
    for (int c = 0; c < dialog.ports->model()->columnCount(); ++c) {
        if (dialog.ports->isColumnHidden(c)) continue;
        EXPECT_GE(header->sectionSize(c), header->sectionSizeHint(c)) << c;
    }
    EXPECT_EQ(cell(dialog.ports, 0, 3), "Front door");
    EXPECT_EQ(cell(dialog.ports, 0, 4), "IN");
    EXPECT_EQ(cell(dialog.ports, 0, 5), "1 SEC");

    dialog.ports->selectRow(0);
    QString caption;
    OnNextModal([&caption](QWidget* editor) {
        caption = editor->windowTitle();
        control<QLineEdit>(editor, "xText")->setText(QStringLiteral("  "));
        control<QComboBox>(editor, "cbMode")->setCurrentIndex(2);
        click(editor, "OK");
    });
    click(&dialog, "Button2");
    EXPECT_EQ(caption, "COM1");
    EXPECT_EQ(cell(dialog.ports, 0, 3), "COM1");
    EXPECT_EQ(cell(dialog.ports, 0, 4), "OUT");
    EXPECT_EQ(reader(1).Desc(), "COM1");
    EXPECT_TRUE(reader(1).Enable());
    EXPECT_TRUE(dialog.changed()[0]);
    EXPECT_FALSE(dialog.changed()[1]);
    EXPECT_TRUE(op.shown().isEmpty()) << qPrintable(op.shown().join('\n'));
}

TEST_F(ReaderSetupDialogTest, ScanAllDisablesTheButtonsWhileItRuns) {
    ReaderSetupDialog dialog(console.readers(), console.data(), op);
    dialog.show();
    op.answerConfirm(true);
    bool editEnabled = true, scanEnabled = true, managerEnabled = true, statusShown = false;
    // The first probe shows reader 1's address; the buttons are off by then.
    QObject::connect(dialog.estatus, &QStatusBar::messageChanged, &dialog, [&] {
        if (dialog.estatus->currentMessage().isEmpty()) return;
        editEnabled = dialog.Button2->isEnabled();
        scanEnabled = dialog.bEnableAll->isEnabled();
        managerEnabled = dialog.bAccessManager->isEnabled();
        statusShown = dialog.estatus->isVisible();
    });
    click(&dialog, "bEnableAll");
    EXPECT_FALSE(editEnabled);
    EXPECT_FALSE(scanEnabled);
    EXPECT_FALSE(managerEnabled);
    EXPECT_TRUE(statusShown);
    EXPECT_TRUE(dialog.Button2->isEnabled());
    EXPECT_TRUE(dialog.estatus->isHidden());
    const auto changed = dialog.changed();
    EXPECT_EQ(std::count(changed.begin(), changed.end(), true), 8);
}

TEST_F(ReaderSetupDialogTest, AccessManagerButtonOpensTheManagerOnTheReader) {
    ReaderSetupDialog dialog(console.readers(), console.data(), op);
    QString title;
    OnNextModal([&title](QWidget* manager) {
        title = manager->windowTitle();
        click(manager, "Button1");
    });
    click(&dialog, "bAccessManager");
    EXPECT_EQ(title, "Front door");
    EXPECT_EQ(op.shown(), QStringList{"information: Settings are loaded successfully."});
}

}  // namespace
