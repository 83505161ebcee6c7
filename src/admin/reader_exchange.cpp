#include "admin/reader_exchange.h"

#include "admin/admin_texts.h"
#include "admin/device_commands.h"
#include "base/operator.h"
#include "readers/reader_client.h"

namespace tallyport {

namespace {
constexpr int kAttempts = 3;
}

ReaderHold::ReaderHold(ReaderClient& r) : m_reader(r) {
    m_reader.hold();
}

ReaderHold::~ReaderHold() {
    m_reader.release();
}

Task<void> whenFree(ReaderClient& r) {
    while (r.held()) co_await nextSignal(&r, &ReaderClient::released);
}

ReaderExchange::ReaderExchange(ReaderClient& reader, Operator* op, StepView& view,
                               Reconnecting reconnecting)
    : m_reader(reader), m_op(op), m_view(view), m_reconnecting(reconnecting) {}

Task<bool> ReaderExchange::WaitForReply() {
    while (m_reader.PktMode()) co_await nextSignal(&m_reader, &ReaderClient::replyFinished);
    co_return m_reader.PktGood();
}

// Only a reply that fits the command ends its wait (replyFormOf).
void ReaderExchange::send(const Sending& s) {
    switch (s.kind) {
        case Kind::Command:
            m_reader.SendCommand(s.body, replyFormOf(s.body));
            return;
        case Kind::Timed:
            m_reader.SendCommandTimed(s.body, s.ms, replyFormOf(s.body));
            return;
        case Kind::Block:
            m_reader.SendBlock(s.body, replyFormOf(s.body));
            return;
        case Kind::Control:
            return m_reader.SetControl(s.ms != 0);
        case Kind::ControlPin:
            return m_reader.SetControlPin(s.ms);
    }
}

Task<bool> ReaderExchange::Reconnect() {
    co_await nextSignal(&m_reader, &ReaderClient::reconnectEnded,
                        [this] { m_reader.beginReconnect(); });
    const bool connected = m_reader.isConnected();
    if (!connected && m_op) m_op->error(connectFailedText(m_reader.Desc()));
    co_return connected;
}

Task<bool> ReaderExchange::afterMissingReply() {
    if (m_reconnecting == Reconnecting::WithMessage) co_return co_await Reconnect();
    co_return m_reader.isConnected();
}

// A command sent to a reader that is not connected goes nowhere: that attempt has no reply.
Task<ReaderExchange::Outcome> ReaderExchange::attempts(const Sending& s) {
    for (int attempt = 1; attempt <= kAttempts; ++attempt) {
        if (m_reader.isConnected()) {
            send(s);
            if (const bool ok = co_await WaitForReply(); ok) co_return Outcome::Replied;
        }
        if (const bool ok = co_await afterMissingReply(); !ok) co_return Outcome::ReconnectFailed;
    }
    co_return Outcome::NoReply;
}

// "No response" only after all attempts: a failed reconnect has said its own.
void ReaderExchange::sayNoResponse(Outcome o) {
    if (o != Outcome::NoReply) return;
    m_view.hideStep();
    if (m_op) m_op->error(admin_text::NoResponse);
}

Task<bool> ReaderExchange::ExchangeCommand(QByteArray body) {
    const Sending s{Kind::Command, std::move(body)};
    const Outcome o = co_await attempts(s);
    sayNoResponse(o);
    co_return o == Outcome::Replied;
}

Task<bool> ReaderExchange::ExchangeCommandTimed(QByteArray body, int ms) {
    const Sending s{Kind::Timed, std::move(body), ms};
    const Outcome o = co_await attempts(s);
    sayNoResponse(o);
    co_return o == Outcome::Replied;
}

Task<bool> ReaderExchange::ExchangeBlock(QByteArray prefix, QByteArray data) {
    const Sending s{Kind::Block, prefix + data};
    const Outcome o = co_await attempts(s);
    sayNoResponse(o);
    co_return o == Outcome::Replied;
}

Task<bool> ReaderExchange::LockReader(bool report) {
    m_view.showStep(admin_text::step::Locking);
    const Sending s{Kind::Control, {}, 1};
    const Outcome o = co_await attempts(s);
    if (report) sayNoResponse(o);
    co_return o == Outcome::Replied;  // the step stays shown for the sequence
}

Task<bool> ReaderExchange::UnlockReader() {
    m_view.showStep(admin_text::step::Unlocking);
    const Sending s{Kind::Control, {}, 0};
    const Outcome o = co_await attempts(s);
    sayNoResponse(o);
    m_view.hideStep();
    co_return o == Outcome::Replied;
}

Task<bool> ReaderExchange::LockReaderWithPin(int pin) {
    m_view.showStep(admin_text::step::Locking);
    const Sending s{Kind::ControlPin, {}, pin};
    co_return co_await attempts(s) == Outcome::Replied;
}

Task<bool> ReaderExchange::ClearReaderLogs(quint16 mark) {
    m_view.showStep(admin_text::step::Clearing);
    co_return co_await ExchangeCommandTimed(device::clearRecords(mark), kClearReplyMs);
}

}  // namespace tallyport
