#pragma once

#include "admin/log_download.h"
#include "admin/manager_settings.h"
#include "admin/reader_exchange.h"
#include "admin/task.h"

namespace tallyport {

class Operator;
class DataModule;
class ReaderClient;

// The Access Manager's workflows on one reader, for the dialog and the command line alike.
// Each waits until no other sequence holds the reader (an automatic download, say), holds it,
// locks it, runs its commands one after another and unlocks it; it stops at the first step
// that fails, which has said why. Messages go to the operator, steps to the view.
class AccessManager {
public:
    AccessManager(ReaderClient& reader, DataModule& data, Operator& op, StepView& view);

    ReaderClient& reader() { return m_reader; }

    // Settings from the reader into the form: the display lines, the clock (a clock that
    // forms no date and time is replaced by the PC's, in the reader too), the PIN from
    // "INPIN", the options and the timetable. `storedRecords`, when given, also gets the
    // number of records the reader keeps.
    Task<bool> Get(ManagerForm& form, int* storedRecords = nullptr);
    // The PC's clock into the reader.
    Task<bool> SyncClock();
    // The form into the reader: clock (when asked), lines, PIN, options, lock time,
    // timetable and mode.
    Task<bool> Put(ManagerForm& form);
    Task<DownloadResult> Download(bool clearAfter);
    // Asks first; clears the stored records.
    Task<bool> Clear();
    // Every card holder into the reader's access table, allowed where the holder's right to
    // this reader says so.
    Task<bool> Upload();
    // The access and control PINs into the reader and table `passwd`.
    Task<bool> PutSystemPins(int accessPin, int controlPin);
    Task<bool> Reconnect();

private:
    Task<void> waitForReader();
    Task<bool> step(const QString& text, QByteArray body);
    Task<bool> getSettings(ManagerForm& form, int* storedRecords);
    Task<bool> putSettings(ManagerForm& form);
    Task<bool> sendAccessTable();

    ReaderClient& m_reader;
    DataModule& m_data;
    Operator& m_op;
    StepView& m_view;
    ReaderExchange m_ex;
};

}  // namespace tallyport
