#pragma once

#include <QByteArray>
#include <QObject>

class QSocketNotifier;
class QTcpServer;

namespace tallyport::readersim {

class ControlInterpreter;

// Control lines from standard input; answers go to standard output. End of input only
// stops reading: a simulator started in the background keeps serving its readers.
class StdinControl : public QObject {
    Q_OBJECT
public:
    StdinControl(ControlInterpreter& interpreter, QObject* parent = nullptr);

private:
    void readAvailable();

    ControlInterpreter& m_interpreter;
    QSocketNotifier* m_notifier;
    QByteArray m_pending;
};

// Control lines over TCP on 127.0.0.1, one answer per line to the connection that sent it.
class TcpControl : public QObject {
    Q_OBJECT
public:
    TcpControl(ControlInterpreter& interpreter, QObject* parent = nullptr);
    bool listen(quint16 port, QString* error);  // prints "readersim control 127.0.0.1:PORT"

private:
    void accept();

    ControlInterpreter& m_interpreter;
    QTcpServer* m_server;
};

}  // namespace tallyport::readersim
