#include "app/demo.h"

#include "app/headless_operator.h"
#include "staff/groups.h"
#include "store/data_module.h"

#include <sys/prctl.h>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <csignal>

namespace tallyport {
namespace {

struct DemoHolder {
    int card;
    const char* name;
    int group;  // index into Demo::groups()
};
// Card 4711 belongs to nobody: it shows how an unregistered card looks.
constexpr DemoHolder kHolders[] = {
    {1001, "ANNA", 0}, {1002, "BORIS", 0}, {1003, "CLARA", 1}, {1004, "DAVID", 1}};
constexpr int kCards[] = {1001, 1002, 1003, 4711, 1004};

QString everyLine() {
    QStringList frames;
    for (int card : kCards) frames << QStringLiteral("card 6 %1").arg(card);
    return QStringLiteral("every %1 ").arg(Demo::kEverySeconds) +
           frames.join(QStringLiteral(" ; "));
}

}  // namespace

Demo::Demo() {
    m_dir.setAutoRemove(true);
}

Demo::~Demo() {
    if (m_sim.state() == QProcess::NotRunning) return;
    m_sim.kill();
    m_sim.waitForFinished(3000);
}

Result<void> Demo::start() {
    if (!m_dir.isValid()) return fail(QStringLiteral("Cannot create a demo folder"));
    if (auto r = startSimulator(); !r) return r;
    return fillData();
}

// The simulator lives beside this program; its first "listening" line names its port.
Result<void> Demo::startSimulator() {
    m_sim.setProgram(QDir(QCoreApplication::applicationDirPath())
                         .filePath(QStringLiteral("tallyport-readersim")));
    m_sim.setArguments(
        {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--exec"), everyLine()});
    m_sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // The simulated reader goes with the console, however the console ends.
    m_sim.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_sim.start();
    if (!m_sim.waitForStarted(5000)) return fail(QStringLiteral("Cannot start ") + m_sim.program());
    QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        if (!m_sim.canReadLine() && !m_sim.waitForReadyRead(int(deadline.remainingTime()))) break;
        const QString line = QString::fromUtf8(m_sim.readLine()).trimmed();
        if (line.startsWith(QLatin1String("readersim listening 127.0.0.1:")))
            m_port = line.section(QLatin1Char(':'), 1).toUShort();
        if (line == QLatin1String("readersim ready")) break;
    }
    // Its event lines are of no use here; read them away so the pipe never fills.
    QObject::connect(&m_sim, &QProcess::readyReadStandardOutput, &m_sim,
                     [this] { m_sim.readAllStandardOutput(); });
    if (m_port == 0) return fail(QStringLiteral("The reader simulator did not start"));
    return {};
}

// The demo's groups work real hours, so every report and group dialog takes them as they are:
// the office 09:00-12:30 and 13:30-17:30, the workshop in two shifts with a Saturday morning.
std::vector<WorkGroup> Demo::groups() {
    WorkGroup office;
    office.name = QStringLiteral("OFFICE");
    office.wdFrom1 = {9, 0}, office.wdTo1 = {12, 30}, office.wdFrom2 = {13, 30};
    office.wdTo2 = {17, 30};
    WorkGroup workshop;
    workshop.name = QStringLiteral("WORKSHOP");
    workshop.wdFrom1 = {7, 0}, workshop.wdTo1 = {11, 30}, workshop.wdFrom2 = {12, 0};
    workshop.wdTo2 = {15, 30};
    workshop.satEnable1 = true;
    workshop.satFrom1 = {8, 0}, workshop.satTo1 = {12, 0};
    return {office, workshop};
}

Result<void> Demo::fillData() {
    HeadlessOperator op;
    DataModule data(op);
    data.setDataFolder(m_dir.path());
    if (auto fresh = data.prepareDataFolder(); !fresh) return fail(fresh.error().text);
    if (!data.OpenDatabases()) return fail(QStringLiteral("Cannot open the demo databases"));
    auto r = fillTables(data.src());
    data.CloseDatabases();
    return r;
}

Result<void> Demo::fillTables(Database& src) {
    Transaction tx(src);
    std::vector<int> groupIds;
    for (const WorkGroup& g : groups()) {
        auto id = SaveGroup(src, g);
        if (!id) return std::unexpected(id.error());
        groupIds.push_back(*id);
    }
    for (const DemoHolder& h : kHolders)
        if (auto r = src.run(QStringLiteral("INSERT INTO staffs(CARDNO, NAME, WORKGRP, COM1) "
                                            "VALUES (?, ?, ?, 1)"),
                             h.card, QString::fromLatin1(h.name), groupIds.at(size_t(h.group)));
            !r)
            return r;
    if (auto r = src.run(
            QStringLiteral("UPDATE reader SET enable = 1, ipaddr = '127.0.0.1', ipport = ?, "
                           "\"desc\" = 'Front door', mode = 1 WHERE PortNo = 1"),
            int(m_port));
        !r)
        return r;
    return tx.commit();
}

}  // namespace tallyport
