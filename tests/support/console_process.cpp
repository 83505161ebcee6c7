#include "support/console_process.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QProcessEnvironment>

namespace tallyport::test {

QString BuiltProgram(const QString& name) {
    return QDir(qEnvironmentVariable("TALLYPORT_BIN_DIR")).filePath(name);
}

ConsoleProcess::ConsoleProcess(QString dataDir, QString runtimeDir)
    : m_dataDir(std::move(dataDir)),
      m_runtime(runtimeDir.isEmpty() ? m_ownRuntime.path() : std::move(runtimeDir)) {}

ConsoleProcess::~ConsoleProcess() {
    if (m_proc.state() != QProcess::NotRunning) {
        m_proc.kill();
        m_proc.waitForFinished(5000);
    }
}

void ConsoleProcess::setUp(const QStringList& extra) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime);
    for (auto it = m_env.cbegin(); it != m_env.cend(); ++it) env.insert(it.key(), it.value());
    m_proc.setProcessEnvironment(env);
    m_proc.setProgram(BuiltProgram(QStringLiteral("tallyport")));
    m_proc.setArguments(
        QStringList{QStringLiteral("--headless"), QStringLiteral("--data-dir"), m_dataDir} + extra);
}

bool ConsoleProcess::start(const QStringList& extra, int timeoutMs) {
    setUp(extra);
    m_proc.start();
    if (!m_proc.waitForStarted(timeoutMs)) return false;
    QDeadlineTimer deadline(timeoutMs);
    while (!m_out.contains(" ready: ")) {
        if (m_proc.state() == QProcess::NotRunning || deadline.hasExpired()) return false;
        m_proc.waitForReadyRead(100);
        m_out += m_proc.readAllStandardOutput();
    }
    return true;
}

int ConsoleProcess::runToEnd(const QStringList& extra, int timeoutMs) {
    setUp(extra);
    m_proc.start();
    if (!m_proc.waitForFinished(timeoutMs)) return -1;
    return m_proc.exitCode();
}

int ConsoleProcess::terminate(int timeoutMs) {
    m_proc.terminate();
    if (!m_proc.waitForFinished(timeoutMs)) return -1;
    return m_proc.exitStatus() == QProcess::NormalExit ? m_proc.exitCode() : -1;
}

QString ConsoleProcess::standardError() {
    m_err += m_proc.readAllStandardError();
    return QString::fromUtf8(m_err);
}

QString ConsoleProcess::standardOutput() {
    m_out += m_proc.readAllStandardOutput();
    return QString::fromUtf8(m_out);
}

}  // namespace tallyport::test
