#include "admin/access_manager.h"

#include "admin/admin_texts.h"
#include "admin/device_commands.h"
#include "base/clock.h"
#include "base/operator.h"
#include "readers/reader_client.h"
#include "store/data_module.h"
#include "store/date_time.h"
#include "store/messages.h"
#include "store/schema.h"

namespace tallyport {

using namespace admin_text;

AccessManager::AccessManager(ReaderClient& reader, DataModule& data, Operator& op, StepView& view)
    : m_reader(reader),
      m_data(data),
      m_op(op),
      m_view(view),
      m_ex(reader, &op, view, ReaderExchange::Reconnecting::WithMessage) {}

// An automatic download may hold the reader: the status field says why nothing happens yet.
Task<void> AccessManager::waitForReader() {
    if (m_reader.held()) m_view.showStep(step::Waiting);
    co_await whenFree(m_reader);
}

Task<bool> AccessManager::step(const QString& text, QByteArray body) {
    m_view.showStep(text);
    co_return co_await m_ex.ExchangeCommand(std::move(body));
}

Task<bool> AccessManager::Get(ManagerForm& form, int* storedRecords) {
    co_await waitForReader();
    ReaderHold hold(m_reader);
    if (const bool ok = co_await m_ex.LockReader(true); !ok) co_return false;
    if (const bool ok = co_await getSettings(form, storedRecords); !ok) co_return false;
    if (const bool ok = co_await m_ex.UnlockReader(); !ok) co_return false;
    m_op.information(SettingsLoaded);
    co_return true;
}

Task<bool> AccessManager::getSettings(ManagerForm& form, int* storedRecords) {
    if (const bool ok = co_await step(step::GetLine1, device::getLine(1)); !ok) co_return false;
    form.line1 = lineReply(m_reader);
    if (const bool ok = co_await step(step::GetLine2, device::getLine(2)); !ok) co_return false;
    form.line2 = lineReply(m_reader);
    if (const bool ok = co_await step(step::GetClock, device::getClock()); !ok) co_return false;
    std::optional<QDateTime> clock = clockReply(m_reader);
    if (!clock) {
        // The reader is locked already: its clock is set within this sequence.
        clock = WholeSeconds(appClock().now());
        if (const bool ok = co_await step(step::SetClock, device::setClock(*clock)); !ok)
            co_return false;
    }
    form.clock = *clock;
    form.pin = m_data.GetKeyInt(kInPinKey);
    if (const bool ok = co_await step(step::GetOptions, device::getOptions()); !ok) co_return false;
    form.options = optionsFromByte(optionsReply(m_reader));
    if (const bool ok = co_await step(step::GetMode, device::getMode()); !ok) co_return false;
    if (const bool ok = co_await step(step::GetTimetable, device::getTimetable()); !ok)
        co_return false;
    form.timetable = timetableReply(m_reader);
    if (storedRecords) {
        if (const bool ok = co_await step(step::GetCapacity, device::getCapacity()); !ok)
            co_return false;
        *storedRecords = capacityReply(m_reader).count;
    }
    co_return true;
}

Task<bool> AccessManager::SyncClock() {
    co_await waitForReader();
    ReaderHold hold(m_reader);
    if (const bool ok = co_await m_ex.LockReader(true); !ok) co_return false;
    if (const bool ok = co_await step(step::SetClock, device::setClock(appClock().now())); !ok)
        co_return false;
    if (const bool ok = co_await m_ex.UnlockReader(); !ok) co_return false;
    m_op.information(ClockSet);
    co_return true;
}

Task<bool> AccessManager::Put(ManagerForm& form) {
    co_await waitForReader();
    ReaderHold hold(m_reader);
    form.line1 = padLcd(form.line1);
    form.line2 = padLcd(form.line2);
    if (const bool ok = co_await m_ex.LockReader(true); !ok) co_return false;
    if (const bool ok = co_await putSettings(form); !ok) co_return false;
    if (const bool ok = co_await m_ex.UnlockReader(); !ok) co_return false;
    m_op.information(SettingsSent);
    co_return true;
}

Task<bool> AccessManager::putSettings(ManagerForm& form) {
    if (form.setClock) {
        if (const bool ok = co_await step(step::SetClock, device::setClock(appClock().now())); !ok)
            co_return false;
    }
    std::vector<std::pair<QString, QByteArray>> steps;
    steps.emplace_back(step::SetLine1, device::setLine(1, form.line1));
    steps.emplace_back(step::SetLine2, device::setLine(2, form.line2));
    steps.emplace_back(step::SetPin, device::setPin(form.pin));
    steps.emplace_back(step::SetOptions, device::setOptions(OptionsByte(form.options)));
    steps.emplace_back(step::SetLockTime, device::setLockTime(m_reader.LockTime()));
    steps.emplace_back(step::SetTimetable, device::setTimetable(form.timetable));
    steps.emplace_back(step::SetMode, device::setMode(modeByte(m_reader.Mode(), form.timetable)));
    for (auto& [text, body] : steps)
        if (const bool ok = co_await step(text, std::move(body)); !ok) co_return false;
    co_return true;
}

Task<DownloadResult> AccessManager::Download(bool clearAfter) {
    co_await waitForReader();
    ReaderHold hold(m_reader);
    DownloadRequest request{
        m_data.filePath(kLogFile), kLogKey, m_reader.PortNo(), clearAfter,
        [this](int count) { return m_op.workProgress(DownloadingCaption(count), count); }};
    co_return co_await downloadLogs(m_ex, std::move(request));
}

Task<bool> AccessManager::Clear() {
    if (!m_op.askYesNo(ConfirmClear)) co_return false;
    co_await waitForReader();
    ReaderHold hold(m_reader);
    if (const bool ok = co_await m_ex.LockReader(true); !ok) co_return false;
    if (const bool ok = co_await step(step::GetCapacity, device::getCapacity()); !ok)
        co_return false;
    const Capacity capacity = capacityReply(m_reader);
    if (capacity.count != 0) {
        if (const bool ok = co_await m_ex.ClearReaderLogs(capacity.mark); !ok) co_return false;
    }
    if (const bool ok = co_await m_ex.UnlockReader(); !ok) co_return false;
    m_op.information(capacity.count != 0 ? AllCleared : NoRecordToClear);
    co_return true;
}

namespace {

struct Holder {
    int card = 0;
    QString name;
    bool allowed = false;
};

// Every card holder with the right to the reader on `port`, in name order.
Result<std::vector<Holder>> holders(Database& src, int port) {
    return src.query(QStringLiteral("SELECT CARDNO, NAME, COM%1 FROM staffs ORDER BY NAME, SEQ")
                         .arg(qBound(1, port, 8)),
                     [](const Statement& st) {
                         return Holder{st.integer(0), st.text(1), st.yesNo(2)};
                     });
}

}  // namespace

Task<bool> AccessManager::Upload() {
    co_await waitForReader();
    ReaderHold hold(m_reader);
    if (const bool ok = co_await m_ex.LockReader(true); !ok) co_return false;
    if (const bool ok = co_await sendAccessTable(); !ok) co_return false;
    if (const bool ok = co_await m_ex.UnlockReader(); !ok) co_return false;
    m_op.information(Uploaded);
    co_return true;
}

// Blocks of twelve entries; the last block always ends with at least one all-FF entry, which
// ends the table for the reader. Block 0 starts a new table in the reader, so a Cancel after
// it ends the table with an all-FF block at once, and any stop part-way says that the reader
// holds a partial table: the holders not sent are unknown to it.
Task<bool> AccessManager::sendAccessTable() {
    const auto rows = holders(m_data.src(), m_reader.PortNo());
    if (!rows) {
        m_view.hideStep();
        m_op.errorDetail(msg::DatabaseError, rows.error().text);
        co_await m_ex.UnlockReader();
        co_return false;
    }
    m_view.showStep(step::Uploading);
    const int count = int(rows->size());
    auto progress = m_op.workProgress(UploadingCaption, count);
    const int blocks = uploadBlockCount(count);
    for (int k = 0; k < blocks; ++k) {
        const int first = k * kAccessEntriesPerBlock;
        if (k > 0 && progress->cancelRequested()) {
            progress.reset();
            const std::vector<QByteArray> none;
            const bool ended =
                co_await m_ex.ExchangeBlock(device::uploadPrefix(k), accessBlock(none));
            if (ended) co_await m_ex.UnlockReader();
            m_op.warning(PartialTableText(first, count));
            co_return false;
        }
        std::vector<QByteArray> entries;
        for (int i = first; i < count && int(entries.size()) < kAccessEntriesPerBlock; ++i) {
            const Holder& h = (*rows)[size_t(i)];
            entries.push_back(accessEntry(h.allowed, h.card, h.name));
        }
        progress->setPosition(first + int(entries.size()));
        if (const bool ok =
                co_await m_ex.ExchangeBlock(device::uploadPrefix(k), accessBlock(entries));
            !ok) {
            // Whether the reader took the block it did not answer is not known.
            m_op.warning(PartialTableText(first, count));
            co_return false;
        }
    }
    co_return true;
}

Task<bool> AccessManager::PutSystemPins(int accessPin, int controlPin) {
    co_await waitForReader();
    ReaderHold hold(m_reader);
    if (!m_data.SetKeyInt(kMasterPinKey, accessPin)) co_return false;
    // The stored control PIN first; a reader that does not answer to it may hold the typed
    // one already.
    bool locked = co_await m_ex.LockReader(false);
    if (!locked) locked = controlPin == m_data.GetKeyInt(kControlPinKey);  // carry on
    if (!locked) locked = co_await m_ex.LockReaderWithPin(controlPin);
    if (!locked) {
        m_view.hideStep();
        m_op.error(NoResponse);
        co_return false;
    }
    if (!m_data.SetKeyInt(kControlPinKey, controlPin)) co_return false;
    if (const bool ok = co_await step(step::PutAccessPin, device::putAccessPin(accessPin)); !ok)
        co_return false;
    if (const bool ok = co_await step(step::PutControlPin, device::putControlPin(controlPin)); !ok)
        co_return false;
    if (const bool ok = co_await m_ex.UnlockReader(); !ok)
        co_return false;  // carries the new control PIN
    m_op.information(PinsSent);
    co_return true;
}

Task<bool> AccessManager::Reconnect() {
    co_await waitForReader();
    ReaderHold hold(m_reader);
    co_return co_await m_ex.Reconnect();
}

}  // namespace tallyport
