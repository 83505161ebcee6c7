#pragma once

#include "base/error.h"

#include <QStringList>
#include <map>

namespace tallyport::readersim {

class ReaderLink;
class Simulator;

// The line protocol by which tests and people drive the simulated readers, the same on
// standard input and on the control port. Each line gets zero or more data lines and then
// "ok" or "error TEXT".
class ControlInterpreter {
public:
    explicit ControlInterpreter(Simulator& sim) : m_sim(sim) {}

    // No answer for blank lines and "#" comments.
    QStringList execute(const QString& line);
    static QString help();

private:
    struct Context {
        ReaderLink* link;  // the reader addressed by "@PORT", else the first one
        bool addressed;    // "@PORT" was given
        QStringList args;  // the words after the command
        QString name;      // the command itself
    };
    using Handler = Result<QStringList> (ControlInterpreter::*)(const Context&);
    struct Command {
        Handler handler;
        bool needsConsole;  // refuses while no console is connected
        const char* usage;
    };
    static const std::map<QString, Command>& commands();

    Result<QStringList> sendFrame(const Context& c);
    Result<QStringList> join(const Context& c);
    Result<QStringList> split(const Context& c);
    Result<QStringList> every(const Context& c);
    Result<QStringList> close(const Context& c);
    Result<QStringList> reset(const Context& c);
    Result<QStringList> silent(const Context& c);
    Result<QStringList> answer(const Context& c);
    Result<QStringList> delay(const Context& c);
    Result<QStringList> frames(const Context& c);
    Result<QStringList> clear(const Context& c);
    Result<QStringList> status(const Context& c);
    // control_reader.cpp: the reader's own state
    Result<QStringList> log(const Context& c);
    Result<QStringList> state(const Context& c);
    Result<QStringList> set(const Context& c);
    Result<QStringList> access(const Context& c);
    Result<QStringList> fault(const Context& c);
    Result<QStringList> showHelp(const Context& c);
    Result<QStringList> quit(const Context& c);

    Simulator& m_sim;
};

}  // namespace tallyport::readersim
