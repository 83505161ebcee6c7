#include "app/ui/progress_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace tallyport {

ProgressWindow::ProgressWindow(const QString& caption, int maximum, bool cancellable)
    : QWidget(nullptr, Qt::Tool | Qt::WindowTitleHint | Qt::CustomizeWindowHint) {
    setObjectName(QStringLiteral("ProgressWindow"));
    setWindowTitle(caption);
    m_bar = new QProgressBar(this);
    m_bar->setRange(0, qMax(0, maximum));
    m_bar->setValue(0);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_bar);
    if (cancellable) {
        // The loop runs while the work does: nothing else may be started meanwhile.
        setWindowModality(Qt::ApplicationModal);
        setWindowFlag(Qt::WindowCloseButtonHint);
        m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
        m_cancel->setObjectName(QStringLiteral("bCancel"));
        connect(m_cancel, &QPushButton::clicked, this, &ProgressWindow::requestCancel);
        layout->addWidget(m_cancel, 0, Qt::AlignRight);
    } else {
        setAttribute(Qt::WA_ShowWithoutActivating);
    }
    resize(320, cancellable ? 90 : 60);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect r = rect();
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }
    show();
    m_bar->repaint();
}

// Painted at once: an operation on the interface thread lets no events through.
void ProgressWindow::setPosition(int value) {
    const int v = qBound(m_bar->minimum(), value, m_bar->maximum());
    if (v == m_bar->value()) return;
    m_bar->setValue(v);
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

void ProgressWindow::requestCancel() {
    m_cancelRequested = true;
    if (m_cancel) m_cancel->setEnabled(false);  // the work ends at its next check
}

// The window stays until the operation ends; closing it asks a cancellable one to stop.
void ProgressWindow::closeEvent(QCloseEvent* event) {
    if (m_cancel) requestCancel();
    event->ignore();
}

}  // namespace tallyport
