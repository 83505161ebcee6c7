#pragma once

#include "admin/log_download.h"
#include "admin/task.h"

#include <QObject>
#include <QString>
#include <array>
#include <memory>

namespace tallyport {

class ReaderBank;
class DataModule;

// After a reader connects (at start-up, after a drop, or when an absent reader appears) its
// stored records are downloaded into the log on their own, with the Access Manager's
// de-duplication and without clearing the reader: punches made while the link was down reach
// the reports without anybody opening the Access Manager. Nothing modal: the outcome is a
// status line "Reader (DESC): Added = a, Duplicated = d, Invalid = i". One download per reader
// at a time; a connect while one runs asks for one more after it. A reader that an operator's
// workflow holds is left to that workflow. Switched by "OL_AutoDownload" (on by default).
class AutoDownload : public QObject {
    Q_OBJECT
public:
    AutoDownload(DataModule& data, ReaderBank& bank, QObject* parent = nullptr);
    ~AutoDownload() override;

    bool running(int port) const;
    // Starts a download for the reader now, as a connect would.
    void request(int port);

Q_SIGNALS:
    void statusLine(int port, const QString& text);
    // Rows were added to the log.
    void logAdded();
    // A download ended (for whoever waits for it).
    void finished(int port, const tallyport::DownloadResult& result);

private:
    struct Slot {
        std::unique_ptr<Task<void>> task;
        bool again = false;
    };
    void readerConnected(int port);
    void start(int port);
    void ended(int port);
    Task<void> run(int port);
    void report(int port, const DownloadResult& r);

    DataModule& m_data;
    ReaderBank& m_bank;
    std::array<Slot, 8> m_slots;
};

}  // namespace tallyport
