#include "app/ui/progress_window.h"

#include <QGuiApplication>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

namespace tallyport {

ProgressWindow::ProgressWindow(const QString& caption, int maximum)
    : QWidget(nullptr, Qt::Tool | Qt::WindowTitleHint | Qt::CustomizeWindowHint) {
    setObjectName(QStringLiteral("ProgressWindow"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(caption);
    m_bar = new QProgressBar(this);
    m_bar->setRange(0, qMax(0, maximum));
    m_bar->setValue(0);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_bar);
    resize(320, 60);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect r = rect();
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }
    show();
    m_bar->repaint();
}

// Painted at once: the operation runs on the interface thread and lets no events through.
void ProgressWindow::setPosition(int value) {
    m_bar->setValue(qBound(m_bar->minimum(), value, m_bar->maximum()));
    m_bar->repaint();
}

void ProgressWindow::step() {
    setPosition(m_bar->value() + 1);
}

int ProgressWindow::position() const {
    return m_bar->value();
}
int ProgressWindow::maximum() const {
    return m_bar->maximum();
}

}  // namespace tallyport
