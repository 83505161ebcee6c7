#include "app/recorder_link.h"

#include "app/control_client.h"
#include "app/status_command.h"
#include "base/long_work.h"

#include <QJsonDocument>
#include <QMetaObject>
#include <QPointer>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace tallyport {
namespace {

const QString kAttachedText = QStringLiteral("attached to the recorder, process %1, user %2");
const QString kStopRecorderFirstText = QStringLiteral(
    "%1 replaces the files the recorder (process %2, user %3) has open. Stop the recorder "
    "first (for the service: systemctl stop tallyport), then start this console again.");
const QString kRecorderGoneText =
    QStringLiteral("The recorder of %1 did not answer: nothing was done. %2");

}  // namespace

QString attachedText(const AttachedRecorder& r) {
    return kAttachedText.arg(r.pid).arg(r.user);
}

QString stopRecorderFirstText(const AttachedRecorder& r, const QString& command) {
    return kStopRecorderFirstText.arg(command).arg(r.pid).arg(r.user);
}

std::optional<QJsonObject> askRecorderStatus(const QString& dataFolder) {
    QByteArray line;
    const RecorderAnswer a = askRecorder(dataFolder, kStatusCommand, {},
                                         [&line](OutputStream s, const QString& text) {
                                             if (s == OutputStream::Out) line = text.toUtf8();
                                         });
    if (a.kind != RecorderAnswer::Kind::Answered || a.exitCode != 0) return std::nullopt;
    const QJsonDocument doc = QJsonDocument::fromJson(line);
    if (!doc.isObject()) return std::nullopt;
    return doc.object();
}

std::optional<AttachedRecorder> recorderOf(const QJsonObject& status) {
    const QJsonObject r = status.value(status_key::Recorder).toObject();
    const qint64 pid = r.value(status_key::Pid).toInteger();
    if (pid <= 0) return std::nullopt;
    return AttachedRecorder{pid, r.value(status_key::User).toString()};
}

bool carryOutOnRecorder(Operator& op, const QString& dataFolder, const QString& caption,
                        const QString& command, const QStringList& args) {
    struct Said {
        QStringList out, err;
        RecorderAnswer answer;
    };
    auto said = runLongWork<Said>(op, caption, [&](WorkContext& work) -> Result<Said> {
        Said s;
        s.answer = askRecorder(
            dataFolder, command, args,
            [&s](OutputStream stream, const QString& text) {
                (stream == OutputStream::Err ? s.err : s.out) << text;
            },
            [&work](const QString&, int position, int maximum) {
                if (maximum > 0) work.setProgress(position, maximum);
            },
            [&work] { return work.cancelled(); });
        return s;
    });
    if (!said) return false;  // cancelled: the recorder carries on, nothing to show
    const Said& s = *said;
    if (s.answer.kind != RecorderAnswer::Kind::Answered) {
        op.error(kRecorderGoneText.arg(dataFolder, s.answer.text).trimmed());
        return false;
    }
    if (!s.err.isEmpty()) op.error(s.err.join(u'\n'));
    if (!s.out.isEmpty()) op.information(s.out.join(u'\n'));
    return s.answer.exitCode == 0;
}

RecorderWatch::RecorderWatch(QString dataFolder, QObject* parent)
    : QObject(parent), m_folder(std::move(dataFolder)),
      m_stop(std::make_shared<std::atomic<bool>>(false)) {
    QPointer<RecorderWatch> self(this);
    auto stop = m_stop;
    const QString folder = m_folder;
    m_thread = std::thread([self, stop, folder] {
        while (!stop->load()) {
            std::optional<QJsonObject> status = askRecorderStatus(folder);
            if (stop->load()) break;
            QMetaObject::invokeMethod(
                self.data(), [self, status] {
                    if (self) self->deliver(status);
                },
                Qt::QueuedConnection);
            for (int waited = 0; waited < kIntervalMs && !stop->load(); waited += 50)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    });
}

RecorderWatch::~RecorderWatch() {
    m_stop->store(true);
    if (m_thread.joinable()) m_thread.join();
}

void RecorderWatch::deliver(std::optional<QJsonObject> status) {
    m_answering = status.has_value();
    if (status) m_latest = *status;
    Q_EMIT updated();
}

}  // namespace tallyport
