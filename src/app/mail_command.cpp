#include "app/mail_command.h"

#include "app/command_line.h"
#include "app/subcommands.h"
#include "notify/email_settings.h"
#include "notify/mail_queue.h"
#include "notify/service_credentials.h"
#include "store/passwd.h"
#include "store/schema.h"
#include "store/setting_names.h"
#include "store/settings.h"
#include "store/sqlcipher_db.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <optional>

namespace tallyport {
namespace {

const QString kMailUsage = QStringLiteral(
    "Usage: tallyport mail test [--data-dir DIR]\n"
    "\n"
    "Sends one message now with the stored e-mail settings (server, port, STARTTLS, user,\n"
    "sender, recipients) and prints what the mail server answered.\n"
    "\n"
    "Exit codes: 0 sent, 1 not sent (with the reason), 2 bad usage.\n");

void printLine(FILE* to, const QString& text) {
    std::fprintf(to, "%s\n", qPrintable(text));
}

// The stored password, read through a read-only connection of its own.
Result<QString> storedPassword(const QString& folder) {
    const QString path = QDir(folder).filePath(kSystemFile);
    if (!QFileInfo(path).isFile()) return fail(QStringLiteral("Cannot open ") + path);
    auto db = Database::open(path, kSystemKey, Database::Mode::ReadOnly);
    if (!db) return std::unexpected(db.error());
    auto value = db->queryOne(
        QStringLiteral("SELECT \"VALUE\" FROM passwd WHERE \"KEY\" = ?"),
        [](const Statement& st) { return st.text(0); }, kSmtpPasswordKey);
    if (!value) return std::unexpected(value.error());
    return *value ? UnscramblePassword(**value).value_or(QString()) : QString();
}

}  // namespace

int runMailCommand(int argc, char** argv) {
    std::optional<QCoreApplication> app;
    if (!QCoreApplication::instance()) app.emplace(argc, argv);
    QStringList args;
    for (int i = 2; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    QString folder;
    bool test = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            std::printf("%s", qPrintable(kMailUsage));
            return kExitDone;
        }
        if (a == QLatin1String("--data-dir") && i + 1 < args.size()) {
            folder = args[++i];
        } else if (a == QLatin1String("test") && !test) {
            test = true;
        } else {
            printLine(stderr,
                      QStringLiteral("%1: not understood\nSee: tallyport mail --help").arg(a));
            return kExitUsage;
        }
    }
    if (!test) {
        printLine(stderr, QStringLiteral("Which mail command? Give test.\n") + kMailUsage);
        return kExitUsage;
    }
    folder = QDir(folder.isEmpty() ? defaultDataFolder() : folder).absolutePath();
    EmailSettings e;
    e.server = ReadSettingText(setting::EmailSmtpServer, QString());
    e.port = ReadSettingInt(setting::EmailSmtpPort, kDefaultSmtpPort);
    e.startTls = ReadSettingBool(setting::EmailStartTls, false);
    e.user = ReadSettingText(setting::EmailUser, QString());
    e.recipients = ReadSettingText(setting::EmailRecipant, QString());
    e.sender = ReadSettingText(setting::EmailSender, QString());
    if (const auto refusal = checkEmailSettings(e))
        return printLine(stderr, refusal->text), kExitFailed;
    if (!e.user.isEmpty() && !serviceCredential(kSmtpPasswordCredential)) {
        auto password = storedPassword(folder);
        if (!password) return printLine(stderr, password.error().text), kExitFailed;
        e.password = *password;
    }
    const auto sent = sendTestMail(mailServerOf(e), e.sender, recipientAddresses(e.recipients));
    if (!sent) return printLine(stderr, sent.error().text), kExitFailed;
    printLine(stdout, *sent);
    return kExitDone;
}

}  // namespace tallyport
