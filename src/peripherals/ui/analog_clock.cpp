#include "peripherals/ui/analog_clock.h"

#include "base/clock.h"
#include "peripherals/clock_face.h"

#include <QEvent>
#include <QPainter>
#include <QPolygon>
#include <QTimer>
#include <QWidget>

namespace tallyport {
namespace {

const QColor kGrey(128, 128, 128);

// The time truncated to whole seconds: a tick repaints when this differs, also when the clock
// jumps by whole minutes between two ticks.
qint64 wholeSecond(const QDateTime& t) {
    return t.isValid() ? t.toSecsSinceEpoch() : -1;
}

}  // namespace

AnalogClock::AnalogClock(QObject* owner, QWidget* paintBox)
    : QObject(owner), m_box(paintBox), m_shown(QDate(1899, 12, 30), QTime(0, 0)) {
    m_timer = new QTimer(this);
    m_timer->setInterval(100);
    connect(m_timer, &QTimer::timeout, this, &AnalogClock::tick);
    m_box->installEventFilter(this);
    m_timer->start();
}

AnalogClock::~AnalogClock() {
    m_timer->stop();
    if (m_box) m_box->removeEventFilter(this);
}

void AnalogClock::tick() {
    const QDateTime now = appClock().now();
    const bool changed = wholeSecond(now) != wholeSecond(m_shown);
    m_shown = now;
    if (changed && m_box) m_box->update();
}

bool AnalogClock::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_box && event->type() == QEvent::Paint) {
        paint();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void AnalogClock::paint() {
    const ClockFace face = computeClockFace(m_box->width(), m_box->height(), m_shown.time());
    QPainter p(m_box);
    p.setPen(QPen(kGrey, face.markWidth));
    for (const DialMark& m : face.marks) p.drawLine(m.from, m.to);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(kGrey);
    for (const HandPolygon& hand : face.hands)
        p.drawPolygon(QPolygon(QList<QPoint>(hand.begin(), hand.end())));
}

}  // namespace tallyport
