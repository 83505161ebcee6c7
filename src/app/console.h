#pragma once

#include "app/commands.h"
#include "app/login.h"
#include "app/recorder_link.h"
#include "base/operator.h"
#include "peripherals/peripherals.h"
#include "readers/reader_bank.h"
#include "store/attached_mark.h"
#include "store/data_module.h"

#include <QObject>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

namespace tallyport {

class AutoDownload;
class AutoInOut;
class CardEvents;
class CommitWatch;
class MailQueue;
class WebReporter;

inline const QString kCannotCreateDirectory = QStringLiteral("Cannot create directory: ");

// The console without its windows: the data module, the commands and the login, and the
// start-up and shutdown steps that hold no widget. The main window and the headless runner
// both drive it in the same order.
class Console : public QObject {
    Q_OBJECT
public:
    Console(Operator& op, const QString& dataFolder, QObject* parent = nullptr);
    ~Console() override;

    DataModule& data() { return m_data; }
    Commands& commands() { return m_commands; }
    LoginController& login() { return m_login; }
    Operator& op() { return m_op; }
    // The camera, voice and beep; silent stand-ins until the program installs real ones.
    Camera& camera() { return m_devices.camera ? *m_devices.camera : m_noCamera; }
    SpeechVoice& speech() { return m_devices.speech ? *m_devices.speech : m_noSpeech; }
    Beeper& beeper() { return m_devices.beeper ? *m_devices.beeper : m_noBeep; }
    // A voice that cannot speak is said once, in the general error box.
    void setPeripherals(const Peripherals& devices);

    // The eight reader clients; they exist from the start-up on.
    ReaderBank& readers() { return *m_readers; }
    bool hasReaders() const { return m_readers != nullptr; }  // from start-up to shutdown
    // The live handling of reader events and the automatic IN/OUT state; from the start-up on.
    AutoInOut& autoInOut() { return *m_autoInOut; }
    // The download of a reader's stored records after it connects; from the start-up on.
    AutoDownload& autoDownload() { return *m_autoDownload; }
    CardEvents& cardEvents() { return *m_cardEvents; }
    // The mailing of the queued events and the web reporter; they exist from the construction
    // on, the timer runs from the start-up on and the server from the creation step on.
    MailQueue& mail() { return *m_mail; }
    WebReporter& web() { return *m_web; }

    // A console beside the folder's recorder (called before the start-up): it connects no
    // reader and runs no mail, IN/OUT or web timer; it follows the recorder's commits (the log
    // view, holders' names) and the recorder's status (its readers).
    void attachTo(const AttachedRecorder& recorder);
    const std::optional<AttachedRecorder>& attachedTo() const { return m_attachedTo; }
    // The recorder's status while attached; null otherwise.
    RecorderWatch* recorderWatch() { return m_recorderWatch.get(); }

    // Start-up: the data folder (a new installation is created), the databases, the eight
    // reader clients configured from the `reader` table, the mail timer. False when the
    // program must end.
    bool startUp();
    // Creation: logged out, the web reporter as the settings say (a port that cannot be opened
    // is said), the photo folder, the IN/OUT state and its minute tick. False when
    // the photo folder cannot be made (shown in the general error box): the window then skips
    // the rest of its creation, and the IN/OUT state waits for the first minute tick.
    bool creationStep();
    // Shutdown: mailing and the web reporter stopped, databases closed (readers first), timers
    // stopped.
    void Shutdown();

    // `systemctl reload`: the settings and the reader table read again. A reader whose row
    // did not change keeps its connection; the others are configured anew. The ports taken
    // anew.
    std::vector<int> reload();

    bool endRequested() const { return m_endRequested; }
    bool hideOnStartup() const;
    void setHideOnStartup(bool hide);

    QString recordCountText();

Q_SIGNALS:
    // The log gained or lost rows: the record count and the grid follow.
    void logChanged();
    // A card event was stored (also offline ones, which show nothing else).
    void eventStored(const tallyport::LogRecord& row);
    // The window shows the holder's photo of this card and the snapshot for (card, time).
    void eventShown(int cardNo, const QDateTime& time);
    // A reader's connection came or went: a line for the status view or the headless log.
    void readerStatus(int port, const QString& text);
    // Card holders or work groups were stored or deleted: texts made from them are stale.
    void holdersChanged();
    // The log view (grid, holder photo, snapshot) is to be hidden (true) or shown again
    // (false): the data module holds it while the files are closed or the log is rewritten.
    void logViewHeld(bool held);
    // The shutdown begins: whatever works on the readers or the databases lets go of them now.
    void shuttingDown();

private:
    void attachCardEvents();
    void watchCommits();
    void logCommittedElsewhere();

    Operator& m_op;
    DataModule m_data;
    Commands m_commands;
    LoginController m_login;
    std::unique_ptr<ReaderBank> m_readers;
    std::unique_ptr<AutoDownload> m_autoDownload;
    std::unique_ptr<AutoInOut> m_autoInOut;
    std::unique_ptr<CardEvents> m_cardEvents;
    std::unique_ptr<MailQueue> m_mail;
    std::unique_ptr<WebReporter> m_web;
    std::optional<AttachedRecorder> m_attachedTo;
    AttachedMark m_attachedMark;  // held while attached: no restore or format meanwhile
    std::unique_ptr<RecorderWatch> m_recorderWatch;
    std::unique_ptr<CommitWatch> m_logCommits;
    std::unique_ptr<CommitWatch> m_systemCommits;
    qint64 m_newestSeenRowId = 0;
    Peripherals m_devices;
    NoCamera m_noCamera;
    NoSpeech m_noSpeech;
    NoBeep m_noBeep;
    bool m_endRequested = false;
    bool m_shutDown = false;
};

}  // namespace tallyport
