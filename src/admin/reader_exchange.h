#pragma once

#include "admin/task.h"

#include <QByteArray>
#include <QString>

namespace tallyport {

class Operator;
class ReaderClient;

// Where a sequence shows the step it is at ("Locking", "Get Clock" ...): the Access Manager's
// status field. The command line and the automatic download show none.
class StepView {
public:
    virtual ~StepView() = default;
    virtual void showStep(const QString& text) = 0;
    virtual void hideStep() = 0;
};

class NoStepView final : public StepView {
public:
    void showStep(const QString&) override {}
    void hideStep() override {}
};

// Holds a reader for one sequence (see ReaderClient::hold) for as long as it lives.
class ReaderHold {
public:
    explicit ReaderHold(ReaderClient& r);
    ~ReaderHold();
    ReaderHold(const ReaderHold&) = delete;
    ReaderHold& operator=(const ReaderHold&) = delete;

private:
    ReaderClient& m_reader;
};

// Goes on once no other sequence holds the reader (at once when none does).
Task<void> whenFree(ReaderClient& r);

// The exchange discipline with one reader: one command at a time, a bounded wait for its
// reply, three attempts, and lock/unlock around every sequence. Between attempts a workflow
// the operator started reconnects and says so when that fails; the automatic download never
// reconnects (the reader's own background reconnect takes over) and shows nothing.
class ReaderExchange {
public:
    enum class Reconnecting { WithMessage, Never };

    // `op` null: failures are not shown.
    ReaderExchange(ReaderClient& reader, Operator* op, StepView& view, Reconnecting reconnecting);

    ReaderClient& reader() { return m_reader; }
    Operator* op() { return m_op; }
    void showStep(const QString& text) { m_view.showStep(text); }
    void hideStep() { m_view.hideStep(); }

    // True when the reply to the command just sent came; false when its time ran out or the
    // line dropped.
    Task<bool> WaitForReply();
    // Up to three attempts of send and wait; after the third "No response from the reader.".
    Task<bool> ExchangeCommand(QByteArray body);
    Task<bool> ExchangeCommandTimed(QByteArray body, int ms);
    Task<bool> ExchangeBlock(QByteArray prefix, QByteArray data);
    // `report` false: no message of its own after three attempts.
    Task<bool> LockReader(bool report);
    Task<bool> UnlockReader();
    // Lock with a PIN other than the stored control PIN; no message of its own.
    Task<bool> LockReaderWithPin(int pin);
    Task<bool> ClearReaderLogs(quint16 mark);
    // Closes and connects again; the failure shown when reconnecting WithMessage.
    Task<bool> Reconnect();

private:
    enum class Kind { Command, Timed, Block, Control, ControlPin };
    enum class Outcome { Replied, NoReply, ReconnectFailed };
    struct Sending {
        Kind kind;
        QByteArray body;
        int ms = 0;  // Timed; Control: 1 locked; ControlPin: the PIN
    };
    void send(const Sending& s);
    // False when the sequence must end: the reconnect failed, or may not be tried.
    Task<bool> afterMissingReply();
    // The attempts; nothing said when they all fail.
    // (GCC 12 mishandles a braced temporary passed to a coroutine: callers pass a named one.)
    Task<Outcome> attempts(const Sending& s);
    void sayNoResponse(Outcome o);

    ReaderClient& m_reader;
    Operator* m_op;
    StepView& m_view;
    Reconnecting m_reconnecting;
};

}  // namespace tallyport
