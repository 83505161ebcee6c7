#pragma once

#include "base/operator.h"

#include <QWidget>

class QProgressBar;
class QPushButton;

namespace tallyport {

// A small tool window centred on the screen: the caption names the running operation, one bar
// counts its steps. The window goes away with the object, also when the operation fails.
// For work on a worker (`cancellable`) it is modal while the event loop runs and has a Cancel
// button; closing the window cancels too.
class ProgressWindow final : public QWidget, public Progress {
    Q_OBJECT
public:
    ProgressWindow(const QString& caption, int maximum, bool cancellable = false);

    void step() override;
    void setPosition(int value) override;
    bool cancelRequested() const override { return m_cancelRequested; }
    int position() const;
    int maximum() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void requestCancel();

    QProgressBar* m_bar;
    QPushButton* m_cancel = nullptr;
    bool m_cancelRequested = false;
};

}  // namespace tallyport
