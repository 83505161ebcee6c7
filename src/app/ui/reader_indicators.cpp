#include "app/ui/reader_indicators.h"

#include "admin/reader_setup.h"
#include "app/console.h"
#include "app/status_command.h"
#include "readers/reader_bank.h"

#include <QHBoxLayout>
#include <QJsonArray>
#include <QLabel>
#include <QTimer>

namespace tallyport {
namespace {

const QString kIndicatorText = QStringLiteral("<span style=\"color:%1\">&#9679;</span> %2: %3");
const QString kLastPunchText = QStringLiteral(" · %1");
const QString kLastPunchHint = QStringLiteral("Last punch %1");
const QString kRecorderSilentText = QStringLiteral("the recorder does not answer");
const QString kRetryingText = QStringLiteral("retrying in %1 s");

QString colourOf(ReaderLinkKind kind) {
    switch (kind) {
        case ReaderLinkKind::Connected:
            return QStringLiteral("#1a8f1a");
        case ReaderLinkKind::Retrying:
            return QStringLiteral("#c77700");
        case ReaderLinkKind::NotConnected:
        case ReaderLinkKind::Disabled:
            break;
    }
    return QStringLiteral("#c01818");
}

}  // namespace

ReaderIndicators::ReaderIndicators(Console& console, QWidget* parent)
    : QWidget(parent), m_console(console) {
    setObjectName(QStringLiteral("ReaderIndicators"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    for (int port = 1; port <= 8; ++port) {
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("ReaderIndicator%1").arg(port));
        label->setTextFormat(Qt::RichText);
        label->hide();
        row->addWidget(label);
        m_labels[size_t(port - 1)] = label;
    }
    connect(&m_console, &Console::eventStored, this, [this](const LogRecord& row) {
        if (!ReaderBank::validPort(row.reader)) return;
        m_lastPunch[size_t(row.reader - 1)] = row.sysTime;
        refresh();
    });
    connect(&m_console, &Console::readerStatus, this, &ReaderIndicators::refresh);
    if (RecorderWatch* watch = m_console.recorderWatch())
        connect(watch, &RecorderWatch::updated, this, &ReaderIndicators::refresh);
    // The retry countdown moves on without any signal.
    m_timer = new QTimer(this);
    connect(m_timer, &QTimer::timeout, this, &ReaderIndicators::refresh);
    m_timer->start(1000);
    refresh();
}

void ReaderIndicators::refresh() {
    if (m_console.recorderWatch()) return refreshFromRecorder();
    if (!m_console.hasReaders()) return;
    for (int port = 1; port <= 8; ++port) {
        const ReaderClient& r = m_console.readers().reader(port);
        QLabel* label = indicator(port);
        // In use: connected, or wanted and retried in the background.
        const bool inUse = r.isConnected() || r.autoReconnect();
        label->setVisible(inUse);
        if (!inUse) continue;
        const ReaderLinkState s = readerLinkState(r, true);
        const QDateTime& last = m_lastPunch[size_t(port - 1)];
        QString text = kIndicatorText.arg(colourOf(s.kind), r.Desc().toHtmlEscaped(), s.text);
        QStringList hint{r.Desc() + QStringLiteral(": ") + s.text};
        if (!s.reason.isEmpty()) hint << s.reason;
        if (last.isValid()) {
            const QString at = last.toString(QStringLiteral("HH:mm:ss"));
            text += kLastPunchText.arg(at);
            hint << kLastPunchHint.arg(last.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
        }
        label->setText(text);
        label->setToolTip(hint.join(u'\n'));
    }
}

}  // namespace tallyport

namespace tallyport {

// The recorder's readers as its last status named them; all of them marked when it stops
// answering.
void ReaderIndicators::refreshFromRecorder() {
    namespace key = status_key;
    const RecorderWatch& watch = *m_console.recorderWatch();
    std::array<QJsonObject, 8> byPort{};
    for (const QJsonValue& v : watch.latest().value(key::Readers).toArray()) {
        const QJsonObject r = v.toObject();
        const int port = r.value(key::Port).toInt();
        if (ReaderBank::validPort(port)) byPort[size_t(port - 1)] = r;
    }
    for (int port = 1; port <= 8; ++port) {
        const QJsonObject& r = byPort[size_t(port - 1)];
        QLabel* label = indicator(port);
        label->setVisible(!r.isEmpty());
        if (r.isEmpty()) continue;
        const QString state = r.value(key::State).toString();
        ReaderLinkKind kind = state == kConnected ? ReaderLinkKind::Connected
                              : state == kRetrying ? ReaderLinkKind::Retrying
                                                   : ReaderLinkKind::NotConnected;
        QString stateText = state == kRetrying
                                ? kRetryingText.arg(r.value(key::RetryIn).toInt())
                                : state;
        if (!watch.answering()) {
            kind = ReaderLinkKind::NotConnected;
            stateText = kRecorderSilentText;
        }
        const QString desc = r.value(key::Description).toString();
        QString text = kIndicatorText.arg(colourOf(kind), desc.toHtmlEscaped(), stateText);
        QStringList hint{desc + QStringLiteral(": ") + stateText,
                         r.value(key::Address).toString()};
        const QString last = r.value(key::LastPunch).toString();
        if (!last.isEmpty()) {
            text += kLastPunchText.arg(last.mid(11, 8));
            hint << kLastPunchHint.arg(last);
        }
        label->setText(text);
        label->setToolTip(hint.join(u'\n'));
    }
}

}  // namespace tallyport
