#pragma once

#include "store/log_record.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <optional>

namespace tallyport {

class Console;
class AutoInOut;
class DataModule;

// The mode of a card event's row: the frame's mode byte when it carries one; else the reader's
// mode, and a clock-only reader's live reads take IN or OUT from the automatic IN/OUT state when
// "AutoInOut" is on (they still count as clock-only: no door opens).
struct EventMode {
    int mode = 0;
    bool clockOnly = false;
};
EventMode decideEventMode(int readerMode, qint8 cmode, const AutoInOut& autoInOut);

// The row every card event leaves in the log, whoever holds the reader's link: the reader's
// stamp (the console's clock when it does not decode), the mode above, READER the port,
// LOCK 0 (a stored reader log says nothing of the door). A row that cannot be stored is said
// through the data module; `row` is then empty. A row that waits in the spool (a long job holds the
// log) has the id 0.
struct StoredEvent {
    std::optional<LogRecord> row;
    EventMode mode;
    QDateTime time;
};
StoredEvent storeCardEvent(DataModule& data, const AutoInOut& autoInOut, int readerMode, int port,
                           int code, const QDateTime& stamp, qint8 cmode);

// The reader whose lock a card event at `port` opens: the configured lock port, or the reader
// itself when none is configured (0), as the reader decides from its own uploaded table.
int lockPortOf(int configuredLock, int port);

// The greeting of a registered holder by the hour of the event, then the name;
// "no registration" for an unknown card.
QString greetingForHour(int hour);
QStringList greetingTexts(bool registered, const QString& name, const QTime& t);

// The queued e-mail of a card event. MSG lines end with "\n".
struct EventMail {
    QString title;
    QString msg;
    QString attach;
};
struct MailFacts {
    int cardNo = 0;
    QDateTime time;
    QString name, group;
    int mode = 0;
    QString readerText, lockText;
};
EventMail composeEventMail(const MailFacts& f, const QString& snapshotPath);
// "[yyyy/mm/dd AM/PMhh:mm:ss]" and "MMMM d, yyyy dddd  AM/PMhh:mm:ss" of the mail.
QString mailTitleTime(const QDateTime& t);
QString mailBodyTime(const QDateTime& t);

// One line per stored event for the headless console, fields separated by tabs:
// time, card, holder ("NAME (GROUP)", "NAME" or "[card]"), mode text, reader description.
QString eventLine(const LogRecord& row, const QString& holder, const QString& readerDesc);

// What the console does with each event a reader client raises: the log row, its mode and lock,
// the access and anti-passback rules, snapshot, beep, e-mail queue, refresh and greeting.
// Motion events store CARDNO -1 and their snapshot is named with the same -1, so the row and
// its picture are found from each other.
class CardEvents : public QObject {
    Q_OBJECT
public:
    CardEvents(Console& console, AutoInOut& autoInOut, QObject* parent = nullptr);

    void OnCardCode(bool offline, int port, int code, const QDateTime& stamp, qint8 cmode);
    void OnBypass(int port, int state);
    void OnPowerup(int port);
    void motionStep(int port);

    QTimer& motiontimer() { return m_motionTimer; }

private:
    struct Holder;

    Holder lookupHolder(int card);
    int applyAccess(const Holder& h, int card, int port, const EventMode& d);
    bool passback(int card, int mode);
    void queueMail(const LogRecord& row, const Holder& h, const QString& snapshot);
    void liveSteps(LogRecord row, const EventMode& d);
    QString readerDesc(int port);

    Console& m_console;
    AutoInOut& m_auto;
    QTimer m_motionTimer;
    int m_motionPort = 0;
};

}  // namespace tallyport
