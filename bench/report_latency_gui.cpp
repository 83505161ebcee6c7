// Punch-to-stored latency while a year's First In / Last Out report (520,000 log rows, 500
// holders) is built and shown in the preview from the desktop, next to the same figures with no
// report running.
//
// Method: the console runs in this process as on the desktop (main window, desktop operator
// with its progress window, the Reports menu's own report code); its reader 1 is a
// tallyport-readersim over TCP. A thread of its own tells the simulator, through its control
// port, to send a card frame every 100 ms, and notes the time: the frames go out on time
// whatever the interface thread is doing. The time a frame's row is stored is taken when the
// console announces the stored event. A driver on the interface thread confirms the scope
// dialog (all dates, IN/OUT, preview), waits until the preview has painted its pages, closes
// it after a second and confirms the dialog that comes back for the next run, then cancels it.
// A 5 ms timer notes how long the loop was held, and by what step of the run.
// Usage: bench_report_latency_gui [baseline seconds, default 20] [report runs, default 5]
#include "app/console.h"
#include "app/headless_operator.h"
#include "app/ui/gui_operator.h"
#include "app/ui/main_window.h"
#include "app/ui/report_commands.h"
#include "bench_log.h"
#include "bench_support.h"
#include "reports/ui/report_page_view.h"
#include "reports/ui/report_preview.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QProcess>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimeEdit>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <thread>

using namespace tallyport;
using namespace tallyport::bench;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kFirstCard = 700000;  // no holder's card: the report's figures stay as they are
constexpr auto kFrameEvery = std::chrono::milliseconds(100);

double msBetween(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

// Sends "card 6 N" to the simulator's control port every 100 ms from a thread of its own.
class FrameSender {
public:
    explicit FrameSender(quint16 controlPort) : m_port(controlPort) {}
    ~FrameSender() { stop(); }
    bool start() {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(m_port);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (m_fd < 0 || ::connect(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0)
            return false;
        m_thread = std::thread([this] { run(); });
        return true;
    }
    void stop() {
        m_stop = true;
        if (m_thread.joinable()) m_thread.join();
        if (m_fd >= 0) ::close(m_fd);
        m_fd = -1;
    }
    std::vector<Clock::time_point> sent() {
        const std::lock_guard lock(m_mutex);
        return m_sent;
    }

private:
    void run() {
        auto next = Clock::now();
        char drain[4096];
        while (!m_stop) {
            std::this_thread::sleep_until(next);
            next += kFrameEvery;
            const QByteArray line =
                QByteArrayLiteral("card 6 ") + QByteArray::number(kFirstCard + sentCount()) + '\n';
            {
                const std::lock_guard lock(m_mutex);
                m_sent.push_back(Clock::now());
            }
            if (::send(m_fd, line.constData(), size_t(line.size()), MSG_NOSIGNAL) < 0) return;
            while (::recv(m_fd, drain, sizeof drain, MSG_DONTWAIT) > 0) {
            }
        }
    }
    int sentCount() {
        const std::lock_guard lock(m_mutex);
        return int(m_sent.size());
    }

    quint16 m_port;
    int m_fd = -1;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::vector<Clock::time_point> m_sent;
};

struct Figures {
    size_t count = 0, lost = 0;
    double p50 = 0, p99 = 0, max = 0;
};

// The frames sent in [from, to): their delays to the stored row; a frame never stored is lost.
Figures figures(const std::vector<Clock::time_point>& sent,
                const std::vector<std::optional<Clock::time_point>>& stored, Clock::time_point from,
                Clock::time_point to) {
    std::vector<double> ms;
    Figures f;
    for (size_t i = 0; i < sent.size(); ++i) {
        if (sent[i] < from || sent[i] >= to) continue;
        if (i >= stored.size() || !stored[i]) {
            ++f.lost;
            continue;
        }
        ms.push_back(msBetween(sent[i], *stored[i]));
    }
    f.count = ms.size();
    f.p50 = percentile(ms, 0.5);
    f.p99 = percentile(ms, 0.99);
    f.max = percentile(ms, 1.0);
    return f;
}

void printFigures(const char* what, const Figures& f) {
    std::printf("  %-44s frames %4zu  p50 %6.2f ms  p99 %7.2f ms  max %7.2f ms  lost %zu\n", what,
                f.count, f.p50, f.p99, f.max, f.lost);
}

// Reads the simulator's lines until "readersim ready": its reader port and control port.
bool startSimulator(QProcess& sim, quint16& reader, quint16& control) {
    sim.start(QCoreApplication::applicationDirPath() + QStringLiteral("/../tallyport-readersim"),
              {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--control-port"),
               QStringLiteral("0")});
    const auto deadline = Clock::now() + std::chrono::seconds(15);
    while (Clock::now() < deadline) {
        if (!sim.canReadLine() && !sim.waitForReadyRead(1000)) continue;
        const QString line = QString::fromUtf8(sim.readLine()).trimmed();
        if (line.startsWith(QStringLiteral("readersim listening 127.0.0.1:")))
            reader = line.section(QLatin1Char(':'), 1).toUShort();
        if (line.startsWith(QStringLiteral("readersim control 127.0.0.1:")))
            control = line.section(QLatin1Char(':'), 1).toUShort();
        if (line == QStringLiteral("readersim ready")) return reader && control;
    }
    return false;
}

// The year's log and its holders; reader 1 pointed at the simulator.
bool prepareData(const QString& folder, quint16 readerPort) {
    HeadlessOperator op;
    DataModule data(op);
    data.setDataFolder(folder);
    if (!data.prepareDataFolder().value_or(false) || !data.OpenDatabases()) return false;
    if (!FillSiteYear(data)) return false;
    return bool(data.src().run(QStringLiteral("UPDATE reader SET enable = 1, ipaddr = '127.0.0.1', "
                                              "ipport = ?, \"desc\" = 'Door', mode = 1 "
                                              "WHERE PortNo = 1"),
                               QString::number(readerPort)));
}

// The steps of the report run, as the driver sees them; stalls are charged to the step.
enum class Step { Idle, Dialog, Building, Preview, Closing, Done };
const char* stepName(Step s) {
    switch (s) {
        case Step::Idle:
            return "no report";
        case Step::Dialog:
            return "scope dialog";
        case Step::Building:
            return "building and laying out (worker)";
        case Step::Preview:
            return "preview open";
        case Step::Closing:
            return "preview closing, dialog again";
        case Step::Done:
            return "after the report";
    }
    return "";
}

QAbstractButton* button(QWidget* w, const char* name) {
    return w->findChild<QAbstractButton*>(QLatin1String(name));
}

// First In / Last Out over all dates, IN/OUT records, standard hours 09:00-17:00, in the preview.
void confirmScope(QWidget* dialog) {
    button(dialog, "rball")->setChecked(true);
    if (auto* records = dialog->findChild<QGroupBox*>(QStringLiteral("rgscope")))
        for (auto* r : records->findChildren<QRadioButton*>())
            if (r->text() == QStringLiteral("IN/OUT")) r->setChecked(true);
    button(dialog, "cbpreview")->setChecked(true);
    dialog->findChild<QTimeEdit*>(QStringLiteral("dtpSTDstart"))->setTime(QTime(9, 0));
    dialog->findChild<QTimeEdit*>(QStringLiteral("dtpSTDend"))->setTime(QTime(17, 0));
    button(dialog, "bConfirm")->click();
}

ReportPreview* openPreview() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* p = qobject_cast<ReportPreview*>(w); p && p->isVisible()) return p;
    return nullptr;
}

}  // namespace

// One report run as the driver saw it.
struct Run {
    Clock::time_point start, built, shown, closed;
    int pages = 0;
};

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir, config, runtime;
    qputenv("XDG_CONFIG_HOME",
            config.path().toLocal8Bit());  // the user's settings stay as they are
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    QApplication app(argc, argv);
    const int baselineSeconds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 20;
    const int reportRuns = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 5;

    QProcess sim;
    quint16 readerPort = 0, controlPort = 0;
    if (!startSimulator(sim, readerPort, controlPort))
        return std::fprintf(stderr, "no simulator\n"), 1;
    QObject::connect(&sim, &QProcess::readyReadStandardOutput,
                     [&] { sim.readAllStandardOutput(); });
    auto t0 = Clock::now();
    if (!prepareData(dir.path(), readerPort)) return std::fprintf(stderr, "fill failed\n"), 1;
    // The fill's pages on their way to the disk would slow every commit's sync for a while.
    ::sync();
    std::printf("log filled: 520,000 rows in %.1f s\n", msBetween(t0, Clock::now()) / 1000);
    std::fflush(stdout);

    GuiOperator op;
    Console console(op, dir.path());
    MainWindow window(console);
    if (window.endRequested()) return std::fprintf(stderr, "console did not start\n"), 1;
    window.showMainWindow();
    const ReportAction* filo = nullptr;
    for (const ReportAction& a : reportActions())
        if (a.kind == ReportKind::Filo) filo = &a;

    std::vector<std::optional<Clock::time_point>> stored;
    QObject::connect(&console, &Console::eventStored, [&](const LogRecord& row) {
        const int i = row.cardNo - kFirstCard;
        if (i < 0) return;
        if (size_t(i) >= stored.size()) stored.resize(size_t(i) + 1);
        stored[size_t(i)] = Clock::now();
    });

    Step step = Step::Idle;
    struct Stall {
        double ms;
        Step step;
        Clock::time_point end;
    };
    std::vector<Stall> stalls;  // how long the loop was held, and when
    QTimer monitor;
    monitor.setTimerType(Qt::PreciseTimer);
    auto lastTick = Clock::now();
    Step lastStep = step;  // a hold is charged to the step it began in
    QObject::connect(&monitor, &QTimer::timeout, [&] {
        const auto now = Clock::now();
        stalls.push_back({msBetween(lastTick, now), lastStep, now});
        lastTick = now;
        lastStep = step;
    });

    FrameSender sender(controlPort);
    Clock::time_point baselineFrom, reportFrom, reportTo;
    std::vector<Run> runs;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        const bool scope = modal && modal->objectName() == QStringLiteral("OneSessionScopeDialog");
        ReportPreview* preview = openPreview();
        if (step == Step::Closing && !preview && runs.back().closed == Clock::time_point())
            runs.back().closed = Clock::now();
        if ((step == Step::Dialog || step == Step::Closing) && scope) {
            if (int(runs.size()) == reportRuns) {
                button(modal, "bCancel")->click();
                return;
            }
            runs.push_back({Clock::now(), {}, {}, {}, 0});
            step = Step::Building;
            confirmScope(modal);
        } else if (step == Step::Building && preview) {
            runs.back().built = Clock::now();
            runs.back().pages = preview->pages()->pageCount();
            step = Step::Preview;
        } else if (step == Step::Preview && preview && preview->pages()->pagesPainted() > 0 &&
                   runs.back().shown == Clock::time_point()) {
            runs.back().shown = Clock::now();
            QTimer::singleShot(1000, preview, [&step, preview] {
                step = Step::Closing;
                preview->close();
            });
        }
    });

    // Connected, then the baseline, then the report runs, then a second to settle.
    QTimer::singleShot(2000, [&] {
        if (!sender.start()) {
            std::fprintf(stderr, "no control connection\n");
            QCoreApplication::exit(1);
            return;
        }
        baselineFrom = Clock::now() + std::chrono::milliseconds(500);
        lastTick = Clock::now();
        monitor.start(5);
        QTimer::singleShot(baselineSeconds * 1000 + 500, [&] {
            reportFrom = Clock::now();
            step = Step::Dialog;
            driver.start(20);
            runReportAction(*filo, console, &window);  // what the menu's action runs
            reportTo = Clock::now();
            step = Step::Done;
            driver.stop();
            QTimer::singleShot(1000, [] { QCoreApplication::exit(0); });
        });
    });
    const int rc = app.exec();
    sender.stop();
    monitor.stop();
    const auto sent = sender.sent();
    // Rows of the last frames may still be on their way.
    const auto settle = Clock::now() + std::chrono::milliseconds(500);
    while (Clock::now() < settle) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    if (rc != 0 || sent.empty() || int(runs.size()) != reportRuns ||
        runs.back().shown == Clock::time_point()) {
        std::fprintf(stderr, "the run did not complete\n");
        return 1;
    }

    std::printf(
        "report_latency: First In / Last Out (IN/OUT, all dates) of 520,000 rows shown in "
        "the preview %d times; a card frame every %lld ms over TCP\n",
        reportRuns, qlonglong(kFrameEvery.count()));
    for (size_t i = 0; i < runs.size(); ++i)
        std::printf(
            "  run %zu: %d pages, built and laid out %.2f s, pages shown %.2f s, "
            "preview closed %.2f s\n",
            i + 1, runs[i].pages, msBetween(runs[i].start, runs[i].built) / 1000,
            msBetween(runs[i].start, runs[i].shown) / 1000,
            msBetween(runs[i].start, runs[i].closed) / 1000);
    printFigures("baseline, no report (send -> stored row)",
                 figures(sent, stored, baselineFrom, reportFrom));
    printFigures("during the reports (send -> stored row)",
                 figures(sent, stored, reportFrom, reportTo));
    std::sort(stalls.begin(), stalls.end(), [](auto& a, auto& b) { return a.ms > b.ms; });
    std::printf("  longest holds of the interface loop (5 ms timer), and when they began:\n");
    for (size_t i = 0; i < std::min<size_t>(8, stalls.size()); ++i) {
        const Stall& st = stalls[i];
        const auto began = st.end - std::chrono::microseconds(qint64(st.ms * 1000));
        size_t run = 0;
        while (run + 1 < runs.size() && runs[run + 1].start <= began) ++run;
        std::printf("    %6.1f ms  %s, %+.0f ms from run %zu's start\n", st.ms, stepName(st.step),
                    msBetween(runs[run].start, began), run + 1);
    }
    sim.kill();
    sim.waitForFinished(3000);
    return 0;
}
