#pragma once

#include "reader_link.h"

#include <QFile>
#include <QList>
#include <QObject>
#include <QString>
#include <vector>

namespace tallyport::readersim {

// Writes one line to standard output and flushes it, so a waiting script sees it at once.
void printLine(const QString& line);

struct RecordedFrame {
    quint16 port;
    QByteArray wire;
};

// All simulated readers of the process and the record of every frame they received.
class Simulator : public QObject {
    Q_OBJECT
public:
    explicit Simulator(bool verbose, QObject* parent = nullptr);

    // Opens the record file for appending; one line "PORT HEX" per received frame.
    bool openRecord(const QString& path, QString* error);
    // Listens on each port (0: a free one) and prints "readersim listening 127.0.0.1:PORT".
    bool listen(const QList<quint16>& ports, QString* error);

    const std::vector<ReaderLink*>& links() const { return m_links; }
    ReaderLink* link(quint16 port) const;  // nullptr when no reader listens there
    const QList<RecordedFrame>& frames() const { return m_frames; }
    void clearFrames() { m_frames.clear(); }

private:
    void record(quint16 port, const QByteArray& wire);

    bool m_verbose;
    std::vector<ReaderLink*> m_links;
    QList<RecordedFrame> m_frames;
    QFile m_record;
};

}  // namespace tallyport::readersim
