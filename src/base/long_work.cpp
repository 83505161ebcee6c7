#include "base/long_work.h"

#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <exception>
#include <memory>

namespace tallyport {

void WorkContext::setProgress(qint64 done, qint64 total) {
    const qint64 span = m_to - m_from;
    const qint64 within = total > 0 ? qBound<qint64>(0, done, total) * span / total : 0;
    m_percent.store(int(m_from + within), std::memory_order_relaxed);
}

void WorkContext::setPart(int fromPercent, int toPercent) {
    m_from = qBound(0, fromPercent, 100);
    m_to = qBound(m_from, toPercent, 100);
    m_percent.store(m_from, std::memory_order_relaxed);
}

namespace long_work_detail {

namespace {

// Often enough that the bar moves smoothly and Cancel answers at once; the tick costs nothing
// next to a reader's poll.
constexpr int kTickMs = 50;

}  // namespace

bool runOnWorker(Operator& op, const QString& caption,
                 const std::function<void(WorkContext&)>& body) {
    WorkContext context;
    const std::unique_ptr<Progress> progress = op.workProgress(caption, 100);
    const std::unique_ptr<QThread> thread(QThread::create([&] { body(context); }));
    QEventLoop loop;
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        progress->setPosition(context.percent());
        if (progress->cancelRequested()) context.cancel();
    });
    thread->start();
    tick.start(kTickMs);
    // Ends when the work ends, or at once when the application quits (its loops all end then):
    // the work is then cancelled and waited for, so the shutdown finds no thread running.
    loop.exec();
    if (!thread->isFinished()) context.cancel();
    thread->wait();
    if (progress->cancelRequested()) context.cancel();
    return !context.cancelled();
}

QString escapedText(const std::exception_ptr& e) {
    try {
        std::rethrow_exception(e);
    } catch (const std::exception& x) {
        return QString::fromLocal8Bit(x.what());
    } catch (...) {
    }
    return QStringLiteral("Unexpected failure.");
}

}  // namespace long_work_detail

}  // namespace tallyport
