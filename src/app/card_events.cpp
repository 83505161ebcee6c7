#include "app/card_events.h"

#include "base/time_texts.h"

#include "app/auto_inout.h"
#include "app/console.h"
#include "base/clock.h"
#include "store/date_time.h"
#include "store/log_texts.h"
#include "store/setting_names.h"
#include "store/settings.h"

#include <array>

namespace tallyport {
namespace {

const QString kNoRegistration = QStringLiteral("no registration");

QString mailTime(const QTime& t) {
    return amPmTimeText(t, AmPmGap::Joined, AmPmPrecision::Seconds);
}

}  // namespace

struct CardEvents::Holder {
    QString name;
    QString group;
    bool registered = false;
    std::array<bool, 9> com{};  // COM1..COM8 at 1..8
};

QString greetingForHour(int hour) {
    if (hour < 12) return QStringLiteral("Good Morning");
    if (hour < 19) return QStringLiteral("Good Afternoon");
    if (hour < 21) return QStringLiteral("Good Evening");
    return QStringLiteral("Good Night");
}

QStringList greetingTexts(bool registered, const QString& name, const QTime& t) {
    if (!registered) return {kNoRegistration};
    return {greetingForHour(t.hour()), name};
}

QString mailTitleTime(const QDateTime& t) {
    return t.date().toString(QStringLiteral("yyyy/MM/dd ")) + mailTime(t.time());
}

QString mailBodyTime(const QDateTime& t) {
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    return english.toString(t.date(), QStringLiteral("MMMM d, yyyy dddd  ")) + mailTime(t.time());
}

EventMail composeEventMail(const MailFacts& f, const QString& snapshotPath) {
    EventMail m;
    m.title = QStringLiteral("[") + mailTitleTime(f.time) + QStringLiteral("] ") + f.name;
    if (!f.group.isEmpty()) m.title += QStringLiteral(", ") + f.group;
    const QStringList lines{f.name + QStringLiteral(" [%1]").arg(f.cardNo),
                            f.group,
                            mailBodyTime(f.time),
                            modeText(f.mode),
                            f.readerText,
                            f.lockText};
    for (const QString& line : lines) m.msg += line + QLatin1Char('\n');
    m.attach = snapshotPath;
    return m;
}

QString eventLine(const LogRecord& row, const QString& holder, const QString& readerDesc) {
    return QStringList{dateTimeText(row.sysTime), QString::number(row.cardNo), holder,
                       modeText(row.mode), readerDesc}
        .join(QLatin1Char('\t'));
}

CardEvents::CardEvents(Console& console, AutoInOut& autoInOut, QObject* parent)
    : QObject(parent), m_console(console), m_auto(autoInOut) {
    connect(&m_motionTimer, &QTimer::timeout, this, [this] { motionStep(m_motionPort); });
}

QString CardEvents::readerDesc(int port) {
    return ReaderBank::validPort(port) ? m_console.readers().reader(port).Desc() : QString();
}

EventMode decideEventMode(int readerMode, qint8 cmode, const AutoInOut& autoInOut) {
    if (cmode >= 0) return {cmode, false};
    EventMode d{readerMode, readerMode == ModeClock};
    if (d.clockOnly && ReadSettingBool(setting::AutoInOut, false))
        d.mode = autoInOut.isIn() ? ModeIn : ModeOut;
    return d;
}

namespace {

// A row that cannot be stored is said, and the event goes on without it. A row that waits in
// the spool for a long job to let go of the log has no id yet.
std::optional<LogRecord> storeRow(DataModule& data, LogRecord row) {
    const auto id = data.storeLogRow(row);
    if (!id) {
        data.reportFailure(id.error());
        return std::nullopt;
    }
    row.rowId = *id;
    return row;
}

// A stamp that does not decode would leave the row without a time: the console's clock.
QDateTime eventTime(const QDateTime& stamp) {
    return stamp.isValid() ? stamp : WholeSeconds(appClock().now());
}

}  // namespace

StoredEvent storeCardEvent(DataModule& data, const AutoInOut& autoInOut, int readerMode, int port,
                           int code, const QDateTime& stamp, qint8 cmode) {
    StoredEvent e;
    e.time = eventTime(stamp);
    e.mode = decideEventMode(readerMode, cmode, autoInOut);
    e.row = storeRow(data, LogRecord{0, e.time, code, e.mode.mode, port, 0});
    return e;
}

void CardEvents::OnCardCode(bool offline, int port, int code, const QDateTime& stamp, qint8 cmode) {
    if (!ReaderBank::validPort(port) || !m_console.data().isOpen()) return;
    if (offline) {
        const StoredEvent e =
            storeCardEvent(m_console.data(), m_auto, m_console.readers().reader(port).Mode(), port,
                           code, stamp, cmode);
        if (e.row) Q_EMIT m_console.eventStored(*e.row);
        return;
    }
    const EventMode d = decideEventMode(m_console.readers().reader(port).Mode(), cmode, m_auto);
    liveSteps(LogRecord{0, eventTime(stamp), code, d.mode, port, 0}, d);
}

// Steps of a live read. The access is decided before the row is stored, so that the row is
// written once, with the lock that opened.
void CardEvents::liveSteps(LogRecord row, const EventMode& d) {
    ReaderClient& reader = m_console.readers().reader(row.reader);
    const QString snapshot =
        snapshotFileName(m_console.data().photoFolder(), row.cardNo, row.sysTime);
    if (reader.Capture()) m_console.camera().GrabJpeg(snapshot);
    m_console.beeper().beep();
    const Holder h = lookupHolder(row.cardNo);
    row.lock = h.registered ? applyAccess(h, row.cardNo, row.reader, d) : 0;
    if (row.lock > 0) m_console.readers().reader(row.lock).ReleaseLock();
    const std::optional<LogRecord> stored = storeRow(m_console.data(), row);
    if (stored) Q_EMIT m_console.eventStored(*stored);
    queueMail(stored.value_or(row), h, snapshot);
    // A spooled row reaches the log's views when it is moved into the log.
    if (stored && stored->rowId > 0) Q_EMIT m_console.logChanged();
    m_auto.Evaluate(appClock().now().time());
    Q_EMIT m_console.eventShown(row.cardNo, row.sysTime);
    if (ReadSettingBool(setting::SpeechEnable, false))
        m_console.speech().speak(greetingTexts(h.registered, h.name, row.sysTime.time()));
}

// The holder of a card; the display name is the card number when nobody holds it.
// A lookup that fails is said (once) and the event goes on as for an unknown card.
CardEvents::Holder CardEvents::lookupHolder(int card) {
    auto found = m_console.data().src().queryOne(
        QStringLiteral(
            "SELECT staffs.NAME, gid.descx, COM1, COM2, COM3, COM4, COM5, COM6, COM7, COM8 "
            "FROM staffs LEFT JOIN gid ON gid.id = staffs.WORKGRP WHERE staffs.CARDNO = ?"),
        [](const Statement& st) {
            Holder h{st.text(0), st.isNull(1) ? QString() : st.text(1), true, {}};
            for (int p = 1; p <= 8; ++p) h.com[size_t(p)] = st.yesNo(1 + p);
            return h;
        },
        card);
    if (!found) m_console.data().reportFailure(found.error());
    if (!found || !*found) return Holder{QString::number(card), {}, false, {}};
    return **found;
}

int lockPortOf(int configuredLock, int port) {
    return configuredLock == 0 ? port : configuredLock;
}

// The port whose lock opens for this holder, 0 when none. A lock port outside 1..8 names no
// reader and opens nothing.
int CardEvents::applyAccess(const Holder& h, int card, int port, const EventMode& d) {
    const int lockPort = lockPortOf(m_console.readers().reader(port).Lock(), port);
    bool allowed = h.com[size_t(port)];
    if (allowed) allowed = ReaderBank::validPort(lockPort);
    if (allowed) allowed = h.com[size_t(lockPort)];
    if (d.clockOnly) return 0;
    if (allowed && m_console.readers().reader(lockPort).APB()) allowed = passback(card, d.mode);
    return allowed ? lockPort : 0;
}

// Anti-passback: refused when the card last passed in this direction; otherwise the direction
// is remembered. A failed read or write of the state does not refuse the card; it is said.
bool CardEvents::passback(int card, int mode) {
    Database& src = m_console.data().src();
    auto state = src.scalarInt(QStringLiteral("SELECT STATE FROM apb WHERE CARDNO = ?"), card);
    if (!state) {
        m_console.data().reportFailure(state.error());
        return true;
    }
    if (*state && **state == mode) return false;
    const auto written =
        *state
            ? src.run(QStringLiteral("UPDATE apb SET STATE = ? WHERE CARDNO = ?"), mode, card)
            : src.run(QStringLiteral("INSERT INTO apb(CARDNO, STATE) VALUES (?, ?)"), card, mode);
    if (!written) m_console.data().reportFailure(written.error());
    return true;
}

void CardEvents::queueMail(const LogRecord& row, const Holder& h, const QString& snapshot) {
    if (!ReadSettingBool(setting::EmailEnabled, false)) return;
    if (ReadSettingBool(setting::EmailStaffOnly, true) && !h.registered) return;
    const auto desc = [this](int p) { return readerDesc(p); };
    const EventMail m = composeEventMail({row.cardNo, row.sysTime, h.name, h.group, row.mode,
                                          lockText(row.reader, desc), lockText(row.lock, desc)},
                                         snapshot);
    const auto queued = m_console.data().src().run(
        QStringLiteral("INSERT INTO emails(TITLE, MSG, ATTACH) VALUES (?, ?, ?)"), m.title, m.msg,
        m.attach);
    if (!queued) m_console.data().reportFailure(queued.error());
}

void CardEvents::OnBypass(int port, int state) {
    if (!ReaderBank::validPort(port)) return;
    if (state == 1) {
        m_motionTimer.stop();
        return;
    }
    const int bypassPort = m_console.readers().reader(port).Bypass();
    if (ReaderBank::validPort(bypassPort) && m_console.readers().reader(bypassPort).Enable())
        m_console.readers().reader(bypassPort).ReleaseLock();
    motionStep(port);
}

void CardEvents::OnPowerup(int) {
    m_motionTimer.stop();
}

// A motion step stores a row of card -1 with a snapshot named for the same -1. Repeats only
// with a positive interval: a zero interval would fire without pause.
void CardEvents::motionStep(int port) {
    if (!ReaderBank::validPort(port)) return;
    m_motionPort = port;
    ReaderClient& reader = m_console.readers().reader(port);
    if (reader.MotionCapture() && m_console.data().isOpen()) {
        const QDateTime now = WholeSeconds(appClock().now());
        m_console.camera().GrabJpeg(
            snapshotFileName(m_console.data().photoFolder(), kMotionCard, now));
        if (auto row = storeRow(m_console.data(), {0, now, kMotionCard, reader.Mode(), port, 0})) {
            Q_EMIT m_console.eventStored(*row);
            if (row->rowId > 0) Q_EMIT m_console.logChanged();
            Q_EMIT m_console.eventShown(kMotionCard, now);
        }
    }
    if (reader.MultipleShot() && reader.Motion() > 0)
        m_motionTimer.start(reader.Motion() * 1000);
    else
        m_motionTimer.stop();
}

}  // namespace tallyport
