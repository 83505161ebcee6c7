#include "control_channels.h"

#include "control.h"
#include "simulator.h"

#include <unistd.h>
#include <QHostAddress>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>

namespace tallyport::readersim {

StdinControl::StdinControl(ControlInterpreter& interpreter, QObject* parent)
    : QObject(parent),
      m_interpreter(interpreter),
      m_notifier(new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this)) {
    connect(m_notifier, &QSocketNotifier::activated, this, &StdinControl::readAvailable);
}

void StdinControl::readAvailable() {
    char buffer[4096];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n <= 0) {
        m_notifier->setEnabled(false);
        return;
    }
    m_pending.append(buffer, n);
    for (qsizetype nl; (nl = m_pending.indexOf('\n')) >= 0;) {
        const QString line = QString::fromUtf8(m_pending.left(nl));
        m_pending.remove(0, nl + 1);
        for (const QString& answer : m_interpreter.execute(line)) printLine(answer);
    }
}

TcpControl::TcpControl(ControlInterpreter& interpreter, QObject* parent)
    : QObject(parent), m_interpreter(interpreter), m_server(new QTcpServer(this)) {
    connect(m_server, &QTcpServer::newConnection, this, &TcpControl::accept);
}

bool TcpControl::listen(quint16 port, QString* error) {
    if (!m_server->listen(QHostAddress::LocalHost, port)) {
        *error = QStringLiteral("cannot listen on 127.0.0.1:%1: %2")
                     .arg(port)
                     .arg(m_server->errorString());
        return false;
    }
    printLine(QStringLiteral("readersim control 127.0.0.1:%1").arg(m_server->serverPort()));
    return true;
}

void TcpControl::accept() {
    while (QTcpSocket* s = m_server->nextPendingConnection()) {
        connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
        connect(s, &QTcpSocket::readyRead, this, [this, s] {
            while (s->canReadLine()) {
                const QString line = QString::fromUtf8(s->readLine()).trimmed();
                for (const QString& answer : m_interpreter.execute(line))
                    s->write(answer.toUtf8().append('\n'));
            }
            s->flush();
        });
    }
}

}  // namespace tallyport::readersim
