#pragma once

#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace tallyport::test {

// Path of a program the build made (tallyport, tallyport-readersim).
QString BuiltProgram(const QString& name);

// `tallyport --headless` as a child process with a runtime folder of its own, so each test
// has its own single-instance lock.
class ConsoleProcess {
public:
    explicit ConsoleProcess(QString dataDir, QString runtimeDir = {});
    ~ConsoleProcess();

    // Starts it with the extra arguments and waits for the ready line; false on timeout or exit.
    bool start(const QStringList& extra = {}, int timeoutMs = 15000);
    // Runs to the end (for launches expected to end by themselves); the exit code, -1 on timeout.
    int runToEnd(const QStringList& extra = {}, int timeoutMs = 15000);
    // SIGTERM and wait; the exit code, -1 when it did not end in time.
    int terminate(int timeoutMs = 15000);

    // An environment variable for the next start.
    void setEnvironment(const QString& name, const QString& value) { m_env[name] = value; }

    QString standardError();
    QString standardOutput();
    const QString& runtimeDir() const { return m_runtime; }
    QProcess& process() { return m_proc; }

private:
    void setUp(const QStringList& extra);

    QString m_dataDir;
    QTemporaryDir m_ownRuntime;
    QString m_runtime;
    QProcess m_proc;
    QByteArray m_out, m_err;
    QMap<QString, QString> m_env;
};

}  // namespace tallyport::test
