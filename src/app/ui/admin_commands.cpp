#include "app/ui/admin_commands.h"

#include "admin/admin_texts.h"
#include "admin/door_open.h"
#include "admin/reader_setup.h"
#include "admin/ui/door_open_dialog.h"
#include "admin/ui/offline_manager_dialog.h"
#include "admin/ui/reader_setup_dialog.h"
#include "app/console.h"
#include "app/control_protocol.h"
#include "app/recorder_link.h"
#include "app/ui/recorder_readers_dialog.h"
#include "app/ui/main_window.h"

#include <QAction>
#include <algorithm>
#include <QPushButton>
#include <QTableView>

namespace tallyport {
namespace {

void hideLogGrid(MainWindow* window) {
    if (window && window->logGrid()) window->logGrid()->hide();
}

// The manager may have added rows: the count and the grid follow, and the grid shows again.
void showLogAgain(Console& console, MainWindow* window) {
    Q_EMIT console.logChanged();
    if (window) window->refreshLogGrid(true);
}

const QString kDoorButtonHint =
    QStringLiteral("Sounds the beep of the chosen reader only: the readers have no door command.");

QPushButton* doorButton(MainWindow& window) {
    return window.findChild<QPushButton*>(QStringLiteral("bDoorOpen"));
}

void setUpDoor(MainWindow& window, Console& console, bool afterSetup) {
    QPushButton* door = doorButton(window);
    if (!door) return;
    // The window itself may still be hidden (start-up to the tray): ask the setting, not
    // the button.
    const bool shown = doorButtonShown();
    door->setVisible(shown);
    if (shown) door->setText(doorCaption(console.readers(), afterSetup));
}

void openDoorSetup(Console& console, MainWindow& window) {
    DoorOpenDialog dialog(console.readers(), &window);
    if (dialog.exec() == QDialog::Accepted) setUpDoor(window, console, true);
}

// The readers have no door command: the button's own effect is the beep.
void pressDoor(Console& console) {
    console.readers().reader(doorPort()).ReleaseLock();
    console.beeper().beep();
}

const QString kReaderSetupCaption = QStringLiteral("Reader Setup");

// Attached: the recorder runs the readers, and carries out what is asked of them.
void openRecorderReaders(Console& console, MainWindow* window) {
    RecorderReadersDialog dialog(console, window);
    if (!dialog.hasReaders()) return console.op().error(admin_text::NoPortEnabled);
    dialog.exec();
}

}  // namespace

void openAccessManager(Console& console, MainWindow* window) {
    if (console.attachedTo()) return openRecorderReaders(console, window);
    hideLogGrid(window);
    {
        OfflineManagerDialog dialog(console.readers(), console.data(), console.op(), window);
        if (!dialog.hasReaders()) {
            console.op().error(admin_text::NoPortEnabled);
        } else {
            dialog.readerListClick();
            dialog.exec();
        }
    }
    showLogAgain(console, window);
}

void openSystemPins(Console& console, MainWindow* window) {
    if (console.attachedTo()) {
        RecorderReadersDialog dialog(console, window);
        if (!dialog.hasReaders()) return console.op().error(admin_text::NoPortEnabled);
        dialog.enterPinLayout();
        dialog.exec();
        return;
    }
    hideLogGrid(window);
    {
        OfflineManagerDialog dialog(console.readers(), console.data(), console.op(), window);
        if (!dialog.hasReaders()) {
            console.op().error(admin_text::NoPortEnabled);
        } else {
            dialog.enterPinLayout();
            dialog.exec();
        }
    }
    showLogAgain(console, window);
}

void openReaderSetup(Console& console, MainWindow* window) {
    std::array<bool, 8> changed{};
    {
        ReaderSetupDialog dialog(console.readers(), console.data(), console.op(), window);
        dialog.exec();
        changed = dialog.changed();
    }
    // Attached: the rows are stored; the recorder reads them again and reconnects what changed.
    if (console.attachedTo()) {
        if (std::any_of(changed.begin(), changed.end(), [](bool c) { return c; }))
            (void)carryOutOnRecorder(console.op(), console.data().dataFolder(),
                                     kReaderSetupCaption, kReloadCommand, {});
        console.readers().ConfigureReaders(false);  // the names the log view shows
    } else {
        reconfigureChanged(console.readers(), changed);
    }
    showLogAgain(console, window);
}

void showDoorButton(MainWindow& window, Console& console) {
    setUpDoor(window, console, false);
}

void connectAdminCommands(MainWindow& window, Console& console) {
    const auto on = [&window](const char* name, auto work) {
        if (QAction* a = window.action(QLatin1String(name)))
            QObject::connect(a, &QAction::triggered, &window, work);
    };
    on("actreaders", [&] { openReaderSetup(console, &window); });
    on("actOfflineManager", [&] { openAccessManager(console, &window); });
    on("actoffline", [&] { openAccessManager(console, &window); });
    on("actmasterpin", [&] { openSystemPins(console, &window); });
    on("actDoorOpen", [&] { openDoorSetup(console, window); });
    if (QPushButton* door = doorButton(window)) {
        QObject::connect(door, &QPushButton::clicked, &window, [&] { pressDoor(console); });
        door->setToolTip(kDoorButtonHint);
        // Among the commands a login opens: nobody walks up and beeps a reader logged out.
        if (QAction* gate = window.action(QStringLiteral("actDoorOpen"))) {
            door->setEnabled(gate->isEnabled());
            QObject::connect(gate, &QAction::enabledChanged, door, &QPushButton::setEnabled);
        }
    }
}

}  // namespace tallyport
