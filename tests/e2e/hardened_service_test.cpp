// The console under the service unit's hardening, played by the test as the service manager
// would apply it (support/hardened_launch.h): it makes its files under the unit's umask,
// records a punch, mails over STARTTLS and answers browsers over HTTPS.
#include "notify/smtp_sink.h"
#include "notify/test_certificate.h"
#include "store/data_folder_lock.h"
#include "store/data_module.h"
#include "store/setting_names.h"
#include "store/settings.h"
#include "support/console_process.h"
#include "support/hardened_launch.h"
#include "support/recorder_folder.h"
#include "support/scripted_operator.h"
#include "support/sim_process.h"
#include "support/temp_data.h"
#include "web/http_get.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <QDirIterator>
#include <QFile>
#include <QSslSocket>
#include <QTcpServer>
#include <QTest>

namespace tallyport::test {
namespace {

// The launcher itself, seen from inside a process it started: each part is in force.
TEST(HardenedLaunch, TheChildRunsUnderEveryPart) {
    QProcess python;
    harden(python);
    python.start(SmtpSink::python(), {QStringLiteral("-c"), QStringLiteral(R"py(
import mmap, os, socket
status = dict(l.split(':', 1) for l in open('/proc/self/status').read().splitlines())
print('no_new_privs', status['NoNewPrivs'].strip(), 'seccomp', status['Seccomp'].strip())
print('umask', oct(os.umask(0)))
try:
    mmap.mmap(-1, 4096, prot=mmap.PROT_WRITE | mmap.PROT_EXEC); print('wx mapped')
except OSError as e: print('wx refused')
try:
    socket.socket(socket.AF_PACKET, socket.SOCK_RAW); print('packet opened')
except OSError as e: print('packet refused', e.errno)
socket.socket(socket.AF_INET6, socket.SOCK_STREAM).close(); print('inet6 opened')
os.setpriority(os.PRIO_PROCESS, 0, 5); print('priority set')
try:
    os.sched_setaffinity(0, {0}); print('affinity set')
except PermissionError: print('affinity refused')
)py")});
    ASSERT_TRUE(python.waitForFinished(15000));
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().constData();
    const QStringList lines =
        QString::fromUtf8(python.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines, (QStringList{"no_new_privs 1 seccomp 2", "umask 0o7", "wx refused",
                                  QStringLiteral("packet refused %1").arg(EAFNOSUPPORT),
                                  "inet6 opened", "priority set", "affinity refused"}));
}

quint16 freePort() {
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost) ? probe.serverPort() : 0;
}

// The paths below `folder` that others than the owner and the group may use, with their modes.
// The folder's lock file is left out: it is given its mode on purpose (readable by all, so
// that any process can see who holds the folder), whatever the umask.
std::string openToOthers(const QString& folder) {
    QStringList out;
    QDirIterator it(folder, QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        struct stat st {};
        const QString path = it.next();
        if (it.fileName() == kDataFolderLockFile) continue;
        if (::lstat(QFile::encodeName(path).constData(), &st) == 0 && (st.st_mode & 0007))
            out << QStringLiteral("%1 %2").arg(path).arg(st.st_mode & 07777, 4, 8);
    }
    return out.join(u'\n').toStdString();
}

class HardenedService : public ::testing::Test {
protected:
    // The cases of this program may run in one process.
    void SetUp() override { QFile::remove(settingsFilePath()); }
    void TearDown() override { QFile::remove(settingsFilePath()); }

    // A punch for 4711 ("ANNA") on reader 1 of the simulator; a mail row waiting to be sent.
    static void prepare(const QString& folder, quint16 readerPort) {
        ASSERT_NO_FATAL_FAILURE(prepareRecorderFolder(folder, readerPort, {{4711, "ANNA"}}));
        ScriptedOperator op;
        DataModule data(op);
        data.setDataFolder(folder);
        ASSERT_TRUE(data.OpenDatabases());
        ASSERT_TRUE(data.src().run(QStringLiteral(
            "INSERT INTO emails(TITLE, MSG) VALUES ('[2024/03/05] ANNA', 'ANNA [1]\n')")));
    }

    // Mail over STARTTLS to the sink, pages over HTTPS on `webPort`, both with `cert`.
    static void configure(const TestCertificate& cert, const SmtpSink& sink, quint16 webPort) {
        WriteSettingBool(setting::EmailEnabled, true);
        WriteSettingText(setting::EmailSmtpServer, QStringLiteral("127.0.0.1"));
        WriteSettingInt(setting::EmailSmtpPort, sink.port());
        WriteSettingText(setting::EmailRecipant, QStringLiteral("boss@example.test"));
        WriteSettingText(setting::EmailSender, QStringLiteral("console@example.test"));
        WriteSettingText(setting::EmailCaFile, cert.cert());
        WriteSettingBool(setting::WebEnabled, true);
        WriteSettingInt(setting::WebPortNo, webPort);
        WriteSettingText(setting::WebCertFile, cert.cert());
        WriteSettingText(setting::WebKeyFile, cert.key());
    }

    static HttpReply httpsGet(const TestCertificate& cert, quint16 port, const QByteArray& path) {
        QSslSocket tls;
        QSslConfiguration config = tls.sslConfiguration();
        config.setCaCertificates(QSslCertificate::fromPath(cert.cert()));
        tls.setSslConfiguration(config);
        tls.connectToHostEncrypted(QStringLiteral("127.0.0.1"), port);
        if (!tls.waitForEncrypted(10000)) return {};
        sendGet(tls, path);
        return readReply(tls);
    }
};

TEST_F(HardenedService, RecordsMailsAndServesPagesUnderTheUnitsHardening) {
    TestCertificate cert;
    ASSERT_TRUE(cert.ok());
    SmtpSink sink({QStringLiteral("--tls"), cert.cert(), cert.key()});
    ASSERT_TRUE(sink.ready());
    tallyport::testing::SimProcess sim;
    ASSERT_TRUE(sim.ready());
    TempDataDir dir;
    const QString folder = dir.file(QStringLiteral("data"));

    // A new installation: every file the console makes keeps the unit's umask.
    {
        ConsoleProcess first(folder);
        harden(first.process());
        ASSERT_TRUE(first.start()) << first.standardError().toStdString();
        EXPECT_EQ(first.terminate(), 0) << first.standardError().toStdString();
    }
    EXPECT_EQ(openToOthers(folder), "");
    ASSERT_NO_FATAL_FAILURE(prepare(folder, sim.port()));
    const quint16 webPort = freePort();
    configure(cert, sink, webPort);

    ConsoleProcess console(folder);
    harden(console.process());
    ASSERT_TRUE(console.start()) << console.standardError().toStdString();
    const qint64 pid = console.process().processId();
    ASSERT_TRUE(sim.waitForEvent(QStringLiteral("readersim connected %1").arg(sim.port()), 10000))
        << console.standardError().toStdString();
    ASSERT_TRUE(sim.ok(QStringLiteral("card 6 4711")));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return console.standardOutput().contains(QStringLiteral("\t4711\tANNA")); }, 5000))
        << console.standardOutput().toStdString();

    ASSERT_TRUE(sink.waitForMails(1, 15000)) << console.standardError().toStdString();
    EXPECT_EQ(sink.mails()[0].subject, QStringLiteral("[2024/03/05] ANNA"));
    EXPECT_TRUE(sink.mails()[0].tls);

    HttpReply page;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return (page = httpsGet(cert, webPort, "/logs")).status == 200; }, 10000))
        << console.standardError().toStdString();
    EXPECT_TRUE(page.body.contains("ANNA")) << page.body.constData();

    // Still under every part, within what the unit allows.
    EXPECT_EQ(processStatus(pid, "NoNewPrivs"), QStringLiteral("1"));
    EXPECT_EQ(processStatus(pid, "Seccomp"), QStringLiteral("2"));
    EXPECT_LE(processStatus(pid, "Threads").toInt(), 128);  // TasksMax=128
    EXPECT_LT(processStatus(pid, "VmHWM").section(u' ', 0, 0).toLongLong(), 1024 * 1024);
    EXPECT_EQ(console.terminate(), 0);
    const QString log = console.standardError();
    EXPECT_FALSE(log.contains(QStringLiteral("error"), Qt::CaseInsensitive)) << log.toStdString();
    EXPECT_EQ(openToOthers(folder), "");
}

}  // namespace
}  // namespace tallyport::test
