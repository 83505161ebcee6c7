#pragma once

#include <QObject>

class QSocketNotifier;

namespace tallyport {

// Turns SIGINT and SIGTERM into a Qt signal on the event loop, so a stop request runs the
// same orderly shutdown as the Exit command; SIGHUP (`systemctl reload`) into a reload request.
class SignalWatcher : public QObject {
    Q_OBJECT
public:
    explicit SignalWatcher(QObject* parent = nullptr);
    ~SignalWatcher() override;

Q_SIGNALS:
    void stopRequested(int signal);
    void reloadRequested();

private:
    void onReadable();
    QSocketNotifier* m_notifier = nullptr;
};

}  // namespace tallyport
