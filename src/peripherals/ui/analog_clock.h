#pragma once

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QWidget>

class QTimer;

namespace tallyport {

// The analog clock on the main window's paint box: a 100 ms timer reads the console's clock
// and repaints the box only when the shown second changes. Marks and hands are drawn over
// whatever the box's background shows.
class AnalogClock : public QObject {
    Q_OBJECT
public:
    AnalogClock(QObject* owner, QWidget* paintBox);
    ~AnalogClock() override;

    // One timer step; public so a test can step a manual clock.
    void tick();
    QDateTime shown() const { return m_shown; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void paint();

    QTimer* m_timer = nullptr;
    QPointer<QWidget> m_box;  // freed with the window, maybe before the clock
    QDateTime m_shown;        // midnight until the first tick
};

}  // namespace tallyport
