#pragma once
// Card frames from the simulator's readers at a steady rate into `tallyport --headless`, each
// timed from its send to the console's printed line for it. The console prints that line only
// after the row is committed, so the time is an upper bound of frame-to-commit (it also holds
// the simulator's pipe, TCP and the stdout pipe).

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QProcess>
#include <QTimer>
#include <functional>
#include <map>
#include <vector>

namespace tallyport::bench {

class PunchClock {
public:
    // `perSecond` frames per reader; `ports` are the simulator's readers, in turn.
    PunchClock(QProcess& console, QProcess& sim, QList<quint16> ports, int perSecond)
        : m_console(console),
          m_sim(sim),
          m_ports(std::move(ports)),
          m_stepNs(1'000'000'000LL / (qint64(perSecond) * m_ports.size())) {
        QObject::connect(&console, &QProcess::readyReadStandardOutput, &m_context,
                         [this] { readLines(); });
        QObject::connect(&sim, &QProcess::readyReadStandardOutput, &m_context,
                         [this] { m_sim.readAllStandardOutput(); });
        m_send.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_send, &QTimer::timeout, &m_context, [this] { sendDue(); });
    }

    // `bucket` says which figures a frame sent now is charged to (all to 0 without one).
    void start(std::function<int()> bucket = {}) {
        m_bucket = std::move(bucket);
        m_clock.start();
        m_send.start(2);
    }
    void stop() { m_send.stop(); }
    bool running() const { return m_send.isActive(); }

    // Runs the event loop until the line of every frame sent came, or `ms` passed.
    void drain(int ms) {
        QElapsedTimer t;
        t.start();
        QTimer tick;  // wakes the loop to see the time
        tick.start(10);
        while (m_seen < size_t(m_sent) && t.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }

    int sent() const { return m_sent; }
    size_t seen() const { return m_seen; }
    // Send-to-stored times in ms of the frames charged to `bucket`.
    std::vector<double> delays(int bucket) const {
        const auto it = m_delays.find(bucket);
        return it == m_delays.end() ? std::vector<double>{} : it->second;
    }

private:
    // Catches up to the schedule, so a late tick does not lower the rate.
    void sendDue() {
        while (qint64(m_sent) * m_stepNs <= m_clock.nsecsElapsed()) {
            const int card = 100000 + m_sent;
            m_sentAt.insert(card, {m_clock.nsecsElapsed(), m_bucket ? m_bucket() : 0});
            m_sim.write(QStringLiteral("@%1 card 6 %2\n")
                            .arg(m_ports[m_sent % m_ports.size()])
                            .arg(card)
                            .toUtf8());
            ++m_sent;
        }
    }
    void readLines() {
        while (m_console.canReadLine()) {
            const QList<QByteArray> f = m_console.readLine().split('\t');
            if (f.size() < 5) continue;
            const auto it = m_sentAt.constFind(f[1].toInt());
            if (it == m_sentAt.cend()) continue;
            m_delays[it->second].push_back(double(m_clock.nsecsElapsed() - it->first) / 1e6);
            ++m_seen;
        }
    }

    QProcess& m_console;
    QProcess& m_sim;
    QList<quint16> m_ports;
    qint64 m_stepNs;
    QObject m_context;
    QTimer m_send;
    QElapsedTimer m_clock;
    std::function<int()> m_bucket;
    QHash<int, std::pair<qint64, int>> m_sentAt;  // card -> (ns, bucket)
    std::map<int, std::vector<double>> m_delays;
    int m_sent = 0;
    size_t m_seen = 0;
};

}  // namespace tallyport::bench
