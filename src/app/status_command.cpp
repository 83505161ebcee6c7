#include "app/status_command.h"

#include "admin/auto_download.h"
#include "admin/log_download.h"
#include "admin/reader_setup.h"
#include "app/command_line.h"
#include "app/console.h"
#include "app/control_client.h"
#include "app/subcommands.h"
#include "app/terminal_operator.h"
#include "base/clock.h"
#include "notify/mail_queue.h"
#include "store/data_folder_lock.h"
#include "store/data_module.h"
#include "store/schema.h"
#include "store/setting_names.h"
#include "store/settings.h"
#include "store/sqlcipher_db.h"
#include "version.h"
#include "web/web_reporter.h"

#include <pwd.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHostInfo>
#include <QJsonArray>
#include <QJsonDocument>

namespace tallyport {
namespace {

namespace key = status_key;


const QString kStampFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
const QString kMailCountSql = QStringLiteral("SELECT count(*) FROM emails");
const QString kLogCountSql = QStringLiteral("SELECT n FROM recorder_count");
const QString kNoRecorderText = QStringLiteral("No recorder holds %1. What its files tell:");
const QString kHeldByOtherText =
    QStringLiteral("No recorder holds %1: process %2 holds it for a command. What its files tell:");

const QString kStatusUsage = QStringLiteral(
    "Usage: tallyport status [--json] [--data-dir DIR]\n"
    "\n"
    "Prints what the recorder of the data folder (the service, or a console that records) is\n"
    "doing: its process, user and start, each enabled reader (address, connected or retrying,\n"
    "last punch, last download), the mails waiting, the web reporter's address, the log's rows\n"
    "and the last backups. With --json the same as one JSON document.\n"
    "\n"
    "  --data-dir DIR  folder of the databases (default: ~/.local/share/Tallyport)\n"
    "  --help          show this text\n"
    "\n"
    "Exit codes: 0 a recorder answered, 1 failed, 2 bad usage, 3 no recorder holds the folder\n"
    "(what the files tell is printed all the same) or this user may not ask it.\n");

QString userName(uid_t uid) {
    if (const passwd* pw = ::getpwuid(uid)) return QString::fromLocal8Bit(pw->pw_name);
    return QString::number(uid);
}

QJsonObject lastBackups() {
    QJsonObject out;
    for (const auto& [kind, setting] : {std::pair{QStringLiteral("log"), setting::LogDbLast},
                                        {QStringLiteral("sys"), setting::SysDbLast}}) {
        const QString file = ReadSettingText(setting, QString());
        if (file.isEmpty()) continue;
        const QFileInfo info(file);
        QJsonObject one{{key::File, file}};
        if (info.exists()) one.insert(key::Time, info.lastModified().toString(kStampFormat));
        out.insert(kind, one);
    }
    return out;
}

QString readerAddress(const QString& host, const QString& port) {
    return host.trimmed() + QLatin1Char(':') + port;
}

}  // namespace

RecorderStatus::RecorderStatus(Console& console, QObject* parent)
    : QObject(parent), m_console(console), m_since(appClock().now()) {
    connect(&console, &Console::eventStored, this, [this](const LogRecord& row) {
        m_lastPunch[row.reader] =
            QStringLiteral("%1 card %2").arg(row.sysTime.toString(kStampFormat)).arg(row.cardNo);
    });
    connect(&console.autoDownload(), &AutoDownload::finished, this,
            [this](int port, const DownloadResult& r) {
                m_lastDownload[port] = appClock().now().toString(kStampFormat) + QLatin1Char(' ') +
                                       summaryText(r.counts);
            });
}

QJsonObject RecorderStatus::snapshot() {
    DataModule& data = m_console.data();
    QJsonObject status;
    status.insert(key::Recorder, QJsonObject{{key::Pid, qint64(::getpid())},
                                             {key::User, userName(::getuid())},
                                             {key::Since, m_since.toString(kStampFormat)},
                                             {key::Version, QStringLiteral(TALLYPORT_VERSION)}});
    status.insert(key::DataFolder, data.dataFolder());
    QJsonArray readers;
    for (int port = 1; port <= 8; ++port) {
        ReaderClient& r = m_console.readers().reader(port);
        if (!r.Enable() && !r.autoReconnect()) continue;
        QJsonObject one{{key::Port, port},
                        {key::Description, r.Desc()},
                        {key::Address, readerAddress(r.remoteHost(), r.remotePort())}};
        const int retryMs = r.retryRemainingMs();
        one.insert(key::State, r.isConnected() ? kConnected
                               : retryMs >= 0  ? kRetrying
                                               : kConnecting);
        if (!r.isConnected() && retryMs >= 0) one.insert(key::RetryIn, (retryMs + 999) / 1000);
        if (m_lastPunch.count(port)) one.insert(key::LastPunch, m_lastPunch[port]);
        if (m_lastDownload.count(port)) one.insert(key::LastDownload, m_lastDownload[port]);
        readers.append(one);
    }
    status.insert(key::Readers, readers);
    QJsonArray problems;
    if (const auto mails = data.src().scalarInt(kMailCountSql))
        status.insert(key::MailsWaiting, mails->value_or(0));
    else
        problems.append(mails.error().text);
    if (m_console.web().listening())
        status.insert(key::WebReporter, QStringLiteral("http://%1:%2/")
                                            .arg(QHostInfo::localHostName())
                                            .arg(m_console.web().port()));
    if (const auto rows = data.att().scalarInt(kLogCountSql))
        status.insert(key::LogRows, rows->value_or(0));
    else
        problems.append(rows.error().text);
    status.insert(key::LastBackup, lastBackups());
    if (!problems.isEmpty()) status.insert(key::Problems, problems);
    return status;
}

QJsonObject statusFromFiles(const QString& dataFolder) {
    const QDir dir(dataFolder);
    QJsonObject status{{key::DataFolder, dir.absolutePath()}};
    QJsonArray problems;
    if (auto src =
            Database::open(dir.filePath(kSystemFile), kSystemKey, Database::Mode::ReadOnly)) {
        if (const auto rows = readReaderRows(*src)) {
            QJsonArray readers;
            for (const ReaderRow& r : *rows) {
                if (!r.enable) continue;
                readers.append(QJsonObject{
                    {key::Port, r.portNo},
                    {key::Description, r.desc},
                    {key::Address, readerAddress(r.ipaddr, QString::number(r.ipport))}});
            }
            status.insert(key::Readers, readers);
        } else {
            problems.append(rows.error().text);
        }
        if (const auto mails = src->scalarInt(kMailCountSql))
            status.insert(key::MailsWaiting, mails->value_or(0));
        else
            problems.append(mails.error().text);
    } else {
        problems.append(src.error().text);
    }
    if (auto att = Database::open(dir.filePath(kLogFile), kLogKey, Database::Mode::ReadOnly)) {
        if (const auto rows = att->scalarInt(kLogCountSql))
            status.insert(key::LogRows, rows->value_or(0));
        else
            problems.append(rows.error().text);
    } else {
        problems.append(att.error().text);
    }
    status.insert(key::LastBackup, lastBackups());
    if (!problems.isEmpty()) status.insert(key::Problems, problems);
    return status;
}

QStringList statusLines(const QJsonObject& s) {
    QStringList out;
    const QJsonObject rec = s.value(key::Recorder).toObject();
    if (!rec.isEmpty())
        out << QStringLiteral("Recorder: process %1, user %2, since %3 (Tallyport %4)")
                   .arg(rec.value(key::Pid).toInteger())
                   .arg(rec.value(key::User).toString(), rec.value(key::Since).toString(),
                        rec.value(key::Version).toString());
    out << QStringLiteral("Data folder: ") + s.value(key::DataFolder).toString();
    const QJsonArray readers = s.value(key::Readers).toArray();
    if (s.contains(key::Readers) && readers.isEmpty())
        out << QStringLiteral("No reader is enabled.");
    for (const auto& v : readers) {
        const QJsonObject r = v.toObject();
        QString line =
            QStringLiteral("Reader %1 (%2) at %3")
                .arg(r.value(key::Port).toInt())
                .arg(r.value(key::Description).toString(), r.value(key::Address).toString());
        const QString state = r.value(key::State).toString();
        if (state == kRetrying)
            line += QStringLiteral(": retrying in %1 s").arg(r.value(key::RetryIn).toInt());
        else if (!state.isEmpty())
            line += QStringLiteral(": ") + state;
        out << line;
        if (r.contains(key::LastPunch))
            out << QStringLiteral("  last punch: ") + r.value(key::LastPunch).toString();
        if (r.contains(key::LastDownload))
            out << QStringLiteral("  last download: ") + r.value(key::LastDownload).toString();
    }
    if (s.contains(key::MailsWaiting))
        out << QStringLiteral("Mails waiting: %1").arg(s.value(key::MailsWaiting).toInteger());
    if (!rec.isEmpty())
        out << QStringLiteral("Web reporter: ") +
                   s.value(key::WebReporter).toString(QStringLiteral("off"));
    if (s.contains(key::LogRows))
        out << QStringLiteral("Log rows: %1").arg(s.value(key::LogRows).toInteger());
    const QJsonObject backups = s.value(key::LastBackup).toObject();
    if (backups.isEmpty()) out << QStringLiteral("Last backup: none known");
    for (auto it = backups.begin(); it != backups.end(); ++it) {
        const QJsonObject b = it.value().toObject();
        out << QStringLiteral("Last backup (%1): %2%3")
                   .arg(it.key(), b.value(key::File).toString(),
                        b.contains(key::Time) ? QStringLiteral(", ") + b.value(key::Time).toString()
                                              : QStringLiteral(" (missing)"));
    }
    for (const auto& p : s.value(key::Problems).toArray())
        out << QStringLiteral("Cannot read: ") + p.toString();
    return out;
}

int runStatusCommand(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral(TALLYPORT_PRODUCT));
    bool json = false;
    QString folder;
    for (int i = 2; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        if (a == u"--json") {
            json = true;
        } else if (a == u"--data-dir" && i + 1 < argc) {
            folder = QString::fromLocal8Bit(argv[++i]);
        } else if (a == u"--help" || a == u"-h") {
            return std::printf("%s", qPrintable(kStatusUsage)), kExitDone;
        } else {
            printLine(stderr, QStringLiteral("Unknown argument: ") + a + u'\n' + kStatusUsage);
            return kExitUsage;
        }
    }
    folder = QDir(folder.isEmpty() ? defaultDataFolder() : folder).absolutePath();
    const auto print = [json](const QJsonObject& s) {
        if (json)
            printLine(stdout, QString::fromUtf8(QJsonDocument(s).toJson(QJsonDocument::Indented)));
        else
            for (const QString& line : statusLines(s)) printLine(stdout, line);
    };
    QJsonObject recorder;
    const RecorderAnswer answer =
        askRecorder(folder, kStatusCommand, {}, [&](OutputStream stream, const QString& text) {
            if (stream == OutputStream::Out)
                recorder = QJsonDocument::fromJson(text.toUtf8()).object();
            else
                printLine(stderr, text);
        });
    if (answer.kind == RecorderAnswer::Kind::Answered && answer.exitCode == kExitDone) {
        print(recorder);
        return kExitDone;
    }
    if (answer.kind == RecorderAnswer::Kind::Answered) return answer.exitCode;
    if (!answer.text.isEmpty()) printLine(stderr, answer.text);
    if (answer.kind == RecorderAnswer::Kind::Failed) return kExitFailed;
    // No recorder: a glance at the lock tells whether a command holds the folder instead.
    QJsonObject files = statusFromFiles(folder);
    DataFolderLock lock = DataFolderLock::take(folder, DataFolderLock::Missing::Fail);
    const bool heldElsewhere = lock.state() == DataFolderLock::State::HeldElsewhere;
    const qint64 holder = lock.holderPid();
    lock.release();
    if (heldElsewhere) files.insert(key::HeldBy, holder);
    printLine(stderr, heldElsewhere ? kHeldByOtherText.arg(folder).arg(holder)
                                    : kNoRecorderText.arg(folder));
    print(files);
    return kExitConsoleRunning;
}

}  // namespace tallyport
