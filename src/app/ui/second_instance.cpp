// The box of a second launch. Nobody may be at the screen (a script, a session start-up): it
// counts down on its button and closes itself, and the launch ends with its code.
#include "app/instance_guard.h"
#include "app/ui/desktop.h"

#include <QMessageBox>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTimer>
#include <algorithm>
#include <cstdio>

namespace tallyport {
namespace {

QString okCaption(std::chrono::milliseconds left) {
    const auto seconds = std::chrono::ceil<std::chrono::seconds>(left).count();
    return QStringLiteral("OK (%1)").arg(seconds);
}

}  // namespace

void showAnotherInstance(std::chrono::milliseconds closeAfter) {
    const QString& text = anotherInstanceText(QSystemTrayIcon::isSystemTrayAvailable());
    std::fprintf(stderr, "%s\n", qPrintable(text));
    QMessageBox box(QMessageBox::Information, QStringLiteral("Information"), text, QMessageBox::Ok);
    box.setObjectName(QStringLiteral("anotherInstance"));
    QAbstractButton* ok = box.button(QMessageBox::Ok);
    auto left = closeAfter;
    ok->setText(okCaption(left));
    QTimer tick;
    const auto step = std::min<std::chrono::milliseconds>(closeAfter, std::chrono::seconds(1));
    tick.setInterval(step);
    QObject::connect(&tick, &QTimer::timeout, &box, [&] {
        left -= step;
        if (left.count() <= 0) return box.accept();
        ok->setText(okCaption(left));
    });
    tick.start();
    box.exec();
}

}  // namespace tallyport
