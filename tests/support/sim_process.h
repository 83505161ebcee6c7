#pragma once

// Starts the built reader simulator and talks to it: its control lines on standard input,
// its readers over TCP on 127.0.0.1. Any test that needs a reader can use it.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QTcpSocket>
#include <memory>
#include <optional>

namespace tallyport::testing {

class SimProcess {
public:
    // Starts tallyport-readersim with the given options and waits for "readersim ready".
    explicit SimProcess(const QStringList& options = {"--port", "0"}) {
        m_process.setProgram(binDir() + "/tallyport-readersim");
        m_process.setArguments(options);
        m_process.start();
        if (!m_process.waitForStarted(5000)) return;
        while (auto line = readLine(10000)) {
            if (line->startsWith("readersim listening 127.0.0.1:"))
                ports.append(line->section(':', 1).toUShort());
            else if (line->startsWith("readersim control 127.0.0.1:"))
                controlPort = line->section(':', 1).toUShort();
            else if (*line == "readersim ready")
                m_ready = true;
            if (m_ready) return;
        }
    }
    ~SimProcess() {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

    bool ready() const { return m_ready; }
    quint16 port(int i = 0) const { return ports.value(i); }

    // Sends one control line; answers the data lines and the final "ok"/"error ..." line.
    QStringList command(const QString& line) {
        m_process.write(line.toUtf8() + '\n');
        QStringList answer;
        while (auto next = readLine(5000)) {
            if (next->startsWith("readersim ")) continue;  // events are not answers
            answer << *next;
            if (*next == "ok" || next->startsWith("error")) break;
        }
        return answer;
    }
    bool ok(const QString& line) {
        const QStringList answer = command(line);
        return !answer.isEmpty() && answer.last() == "ok";
    }

    // Waits for an event line such as "readersim connected 4711", earlier ones included.
    bool waitForEvent(const QString& event, int timeoutMs = 5000) {
        if (m_events.removeOne(event)) return true;
        QDeadlineTimer deadline(timeoutMs);
        while (auto line = readLine(int(deadline.remainingTime())))
            if (*line == event) return m_events.removeOne(event);
        return false;
    }

    // A console-side connection to reader i, accepted by the simulator when it returns.
    std::unique_ptr<QTcpSocket> connectClient(int i = 0) {
        auto s = std::make_unique<QTcpSocket>();
        s->connectToHost("127.0.0.1", port(i));
        if (!s->waitForConnected(5000)) return nullptr;
        if (!waitForEvent(QStringLiteral("readersim connected %1").arg(port(i)))) return nullptr;
        return s;
    }

    QProcess& process() { return m_process; }

    QList<quint16> ports;
    quint16 controlPort = 0;

private:
    // The build folder; test programs live one level below it when the variable is missing.
    static QString binDir() {
        const QString dir = qEnvironmentVariable("TALLYPORT_BIN_DIR");
        return dir.isEmpty() ? QCoreApplication::applicationDirPath() + "/.." : dir;
    }

    std::optional<QString> readLine(int timeoutMs) {
        QDeadlineTimer deadline(timeoutMs);
        while (!m_process.canReadLine()) {
            if (deadline.hasExpired() || !m_process.waitForReadyRead(int(deadline.remainingTime())))
                return std::nullopt;
        }
        const QString line = QString::fromUtf8(m_process.readLine()).trimmed();
        if (line.startsWith("readersim ")) m_events << line;
        return line;
    }

    QProcess m_process;
    QStringList m_events;
    bool m_ready = false;
};

// Everything that arrives on the socket until n bytes are in or the time is up.
inline QByteArray readBytes(QTcpSocket& s, qsizetype n, int timeoutMs = 3000) {
    QByteArray got;
    QDeadlineTimer deadline(timeoutMs);
    while (got.size() < n && !deadline.hasExpired()) {
        if (s.bytesAvailable() == 0 && !s.waitForReadyRead(int(deadline.remainingTime()))) break;
        got += s.read(n - got.size());
    }
    return got;
}

// What arrives within the given time (or until `until` bytes are in), read by read.
inline QList<QByteArray> readChunks(QTcpSocket& s, int windowMs, qsizetype until = -1) {
    QList<QByteArray> chunks;
    qsizetype total = 0;
    QDeadlineTimer deadline(windowMs);
    while (!deadline.hasExpired() && (until < 0 || total < until)) {
        if (s.bytesAvailable() == 0 && !s.waitForReadyRead(int(deadline.remainingTime()))) break;
        chunks << s.readAll();
        total += chunks.back().size();
    }
    return chunks;
}

inline QByteArray hexBytes(const char* hex) {
    return QByteArray::fromHex(hex);
}
inline QString hexText(const QByteArray& b) {
    return QString::fromLatin1(b.toHex(' ').toUpper());
}

}  // namespace tallyport::testing
