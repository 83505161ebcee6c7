#pragma once

#include "base/operator.h"

#include <QWidget>

class QProgressBar;

namespace tallyport {

// A small tool window centred on the screen: the caption names the running operation, one bar
// counts its steps. The window goes away with the object, also when the operation fails.
class ProgressWindow final : public QWidget, public Progress {
    Q_OBJECT
public:
    ProgressWindow(const QString& caption, int maximum);

    void step() override;
    void setPosition(int value) override;
    int position() const;
    int maximum() const;

private:
    QProgressBar* m_bar;
};

}  // namespace tallyport
