#include "app/ui/desktop.h"

#include "app/signal_watcher.h"

#include "app/console.h"
#include "app/recorder_requests.h"
#include "app/ui/artwork.h"
#include "app/ui/gui_operator.h"
#include "app/ui/main_window.h"
#include "app/ui/splash.h"
#include "peripherals/ui/gui_devices.h"
#include "peripherals/ui/webcam.h"
#include "version.h"

#include <QApplication>

namespace tallyport {

int runDesktopConsole(const QString& dataFolder, const std::optional<AttachedRecorder>& recorder) {
    // A dialog closed while the window hides in the notification area must not end the
    // program: only closing the main window does.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(appIcon());
    auto splash = showSplash();
    GuiOperator op;
    const std::unique_ptr<SpeechVoice> voice = makeSpeechVoice();
    GuiBeeper beeper;
    Console console(op, dataFolder);
    if (recorder) console.attachTo(*recorder);
    console.setPeripherals({nullptr, voice.get(), &beeper});
    MainWindow window(console);
    console.setPeripherals({window.webcam(), voice.get(), &beeper});
    splash->close();
    splash.reset();
    if (window.endRequested()) return 1;
    QObject::connect(&window, &MainWindow::closed, qApp, &QCoreApplication::quit);
    // This console records: commands and attached desktops on the folder ask it.
    RecorderRequests requests(console);
    if (!recorder)
        if (auto listening = requests.listen(); !listening) op.warning(listening.error().text);
    // SIGINT/SIGTERM (a logout, `kill`, a service stop) close the window as Exit does, so the
    // shutdown runs in order.
    SignalWatcher signals;
    QObject::connect(&signals, &SignalWatcher::stopRequested, &window, &QWidget::close);
    if (window.showAtStart())
        window.showMainWindow();
    else if (!window.trayAvailable())
        window.showMinimized();  // no notification area to come back from
    return QApplication::exec();
}

void showStartRefused(const QString& text) {
    GuiOperator().error(text);
}

}  // namespace tallyport
