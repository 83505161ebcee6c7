#include "simulator.h"

#include "frames.h"

#include <cstdio>

namespace tallyport::readersim {

void printLine(const QString& line) {
    std::fputs(line.toUtf8().append('\n').constData(), stdout);
    std::fflush(stdout);
}

Simulator::Simulator(bool verbose, QObject* parent) : QObject(parent), m_verbose(verbose) {}

bool Simulator::openRecord(const QString& path, QString* error) {
    m_record.setFileName(path);
    if (m_record.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) return true;
    *error = QStringLiteral("cannot open %1: %2").arg(path, m_record.errorString());
    return false;
}

bool Simulator::listen(const QList<quint16>& ports, QString* error) {
    for (quint16 wanted : ports) {
        auto* link = new ReaderLink(this);
        if (!link->listen(wanted, error)) {
            *error = QStringLiteral("cannot listen on 127.0.0.1:%1: %2").arg(wanted).arg(*error);
            return false;
        }
        connect(link, &ReaderLink::frameReceived, this, &Simulator::record);
        connect(link, &ReaderLink::connected, this,
                [](quint16 p) { printLine(QStringLiteral("readersim connected %1").arg(p)); });
        connect(link, &ReaderLink::disconnected, this,
                [](quint16 p) { printLine(QStringLiteral("readersim disconnected %1").arg(p)); });
        m_links.push_back(link);
        printLine(QStringLiteral("readersim listening 127.0.0.1:%1").arg(link->port()));
    }
    return true;
}

ReaderLink* Simulator::link(quint16 port) const {
    for (ReaderLink* l : m_links)
        if (l->port() == port) return l;
    return nullptr;
}

void Simulator::record(quint16 port, const QByteArray& wire) {
    m_frames.append({port, wire});
    const QString line = QStringLiteral("%1 %2").arg(port).arg(toHex(wire));
    if (m_record.isOpen()) {
        m_record.write(line.toUtf8().append('\n'));
        m_record.flush();
    }
    if (m_verbose) printLine(QStringLiteral("readersim frame ") + line);
}

}  // namespace tallyport::readersim
