// The web reporter of `tallyport --headless` on a 2,000,000-row log under HTTP load, while
// eight simulated readers punch 20 times a second each (160 a second in all).
//
// Method: a closed-loop load generator of its own (epoll, keep-alive HTTP/1.1, one request in
// flight per connection) runs 2 and then 50 connections against a trivial answer of the same
// server (401: no token sent; the HTTP stack and the token check, no store), /today and /logs
// (with the token), each for a fixed time: requests per second and the latency percentiles of
// every request, and the processor time the console's web thread spent per answer ("srv us",
// read from /proc: steadier than the rates on a shared machine). Meanwhile the bench tells one
// tallyport-readersim with eight readers to send card frames at 160 a second and times each
// frame from its send to the console's printed line for it (printed once the row is
// committed), charged to the load phase it was sent in. A first phase without HTTP load gives
// the punches' own baseline. At the end the rows are counted: every frame sent must be stored.
// The console's web thread runs at nice 10, and so does the load generator here: it stands for
// browsers on other machines, so it must not take the processor from the reader path it is
// measured against (this machine has two cores). The bench itself waits for events and never
// polls, for the same reason.
// Usage: bench_web_reporter [seconds per phase, default 10] [data folder to keep and reuse]
#include "app/headless_operator.h"
#include "bench_log.h"
#include "bench_support.h"
#include "store/data_module.h"
#include "store/setting_names.h"
#include "store/settings.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

using namespace tallyport;
using namespace tallyport::bench;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRows = 2'000'000;
constexpr int kReaders = 8;
constexpr int kPerSecond = 20;  // per reader
const char* const kToken = "bench-token";

// ---- the load generator ----

struct LoadResult {
    uint64_t done = 0;
    uint64_t errors = 0;
    double seconds = 0;
    double serverCpu = 0;  // processor seconds of the console's web thread meanwhile
    std::vector<double> ms;
};

struct Conn {
    int fd = -1;
    std::string in;
    Clock::time_point sent;
};

// A whole answer at the front of `in`: its length and status, or 0 while incomplete.
size_t completeAnswer(const std::string& in, int& status) {
    const size_t head = in.find("\r\n\r\n");
    if (head == std::string::npos) return 0;
    status = std::atoi(in.c_str() + 9);
    size_t length = 0;
    for (size_t at = 0; at < head;) {
        const size_t eol = in.find("\r\n", at);
        if (strncasecmp(in.c_str() + at, "content-length:", 15) == 0)
            length = std::strtoul(in.c_str() + at + 15, nullptr, 10);
        at = eol + 2;
    }
    return in.size() >= head + 4 + length ? head + 4 + length : 0;
}

bool openConn(Conn& c, uint16_t port, int ep) {
    c.fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(c.fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) return false;
    int one = 1;
    ::setsockopt(c.fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    ::fcntl(c.fd, F_SETFL, ::fcntl(c.fd, F_GETFL) | O_NONBLOCK);
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.ptr = &c;
    return ::epoll_ctl(ep, EPOLL_CTL_ADD, c.fd, &ev) == 0;
}

void sendRequest(Conn& c, const std::string& request) {
    c.sent = Clock::now();
    (void)!::write(c.fd, request.data(), request.size());
}

LoadResult runLoad(uint16_t port, const std::string& request, int expect, int conns,
                   double seconds) {
    LoadResult r;
    const int ep = ::epoll_create1(0);
    std::vector<Conn> all(static_cast<size_t>(conns));
    for (Conn& c : all) {
        if (!openConn(c, port, ep)) ++r.errors;
        sendRequest(c, request);
    }
    const auto start = Clock::now();
    const auto end = start + std::chrono::duration<double>(seconds);
    epoll_event events[64];
    char buf[65536];
    while (Clock::now() < end) {
        const int n = ::epoll_wait(ep, events, 64, 100);
        for (int i = 0; i < n; ++i) {
            Conn& c = *static_cast<Conn*>(events[i].data.ptr);
            for (;;) {
                const ssize_t got = ::read(c.fd, buf, sizeof buf);
                if (got > 0) c.in.append(buf, size_t(got));
                if (got <= 0) {
                    if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
                        ++r.errors;  // the server closed a keep-alive connection: a new one
                        ::close(c.fd);
                        c.in.clear();
                        if (openConn(c, port, ep)) sendRequest(c, request);
                    }
                    break;
                }
            }
            int status = 0;
            while (const size_t used = completeAnswer(c.in, status)) {
                r.ms.push_back(
                    std::chrono::duration<double, std::milli>(Clock::now() - c.sent).count());
                ++r.done;
                if (status != expect) ++r.errors;
                c.in.erase(0, used);
                sendRequest(c, request);
            }
        }
    }
    r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    for (Conn& c : all) ::close(c.fd);
    ::close(ep);
    return r;
}

std::string requestFor(const char* path, bool withToken) {
    std::string r = std::string("GET ") + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    if (withToken) r += std::string("Authorization: Bearer ") + kToken + "\r\n";
    return r + "\r\n";
}

// ---- the site ----

// A folder that holds a log already keeps it: only the readers are pointed at the simulator.
bool prepare(const QString& folder, const QList<quint16>& ports) {
    HeadlessOperator op;
    DataModule data(op);
    data.setDataFolder(folder);
    const auto fresh = data.prepareDataFolder();
    if (!fresh || !data.OpenDatabases()) return false;
    if (*fresh && !FillBenchLog(data, kRows)) return false;
    // Every run starts with no record today, as a fresh fill does.
    if (!*fresh && !data.att().run(QStringLiteral("DELETE FROM recorder WHERE SYSTIME >= ?"),
                                   QDate::currentDate().toString(Qt::ISODate)))
        return false;
    for (int p = 1; p <= kReaders; ++p)
        if (!data.src().run(QStringLiteral("UPDATE reader SET enable = 1, ipaddr = '127.0.0.1', "
                                           "ipport = ?, \"desc\" = ?, mode = 1 WHERE PortNo = ?"),
                            int(ports.value(p - 1)), QStringLiteral("Door %1").arg(p), p))
            return false;
    for (int c = 1000; c < 1500 && *fresh; ++c)
        if (!data.src().run(
                QStringLiteral("INSERT INTO staffs(CARDNO, NAME, WORKGRP) VALUES (?, ?, 1)"), c,
                QStringLiteral("Holder %1").arg(c)))
            return false;
    data.CloseDatabases();
    return true;
}

quint16 freePort() {
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost) ? probe.serverPort() : 0;
}

qint64 storedRows(const QString& folder) {
    HeadlessOperator op;
    DataModule data(op);
    data.setDataFolder(folder);
    return data.OpenDatabases() ? data.logCount() : -1;
}

struct Phase {
    const char* name;
    const char* path;  // null: no HTTP load
    bool withToken;
    int expect;
    int conns;
};

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir dir, runtime, config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    QCoreApplication app(argc, argv);
    const double seconds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toDouble() : 10;
    const QString folder = argc > 2 ? QString::fromLocal8Bit(argv[2]) : dir.path();

    QProcess sim;
    sim.start(binDir() + QStringLiteral("/tallyport-readersim"),
              {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--ports"),
               QString::number(kReaders)});
    QList<quint16> ports;
    if (!waitForLine(sim, QStringLiteral("readersim ready"), &ports, 60000) ||
        ports.size() != kReaders)
        return 1;
    QElapsedTimer fill;
    fill.start();
    if (!prepare(folder, ports)) return std::fprintf(stderr, "web_reporter: fill failed\n"), 1;
    const qint64 fillMs = fill.elapsed();
    const qint64 rowsBefore = storedRows(folder);
    const quint16 webPort = freePort();
    WriteSettingBool(setting::WebEnabled, true);
    WriteSettingInt(setting::WebPortNo, webPort);
    WriteSettingText(setting::WebToken, QString::fromLatin1(kToken));

    QProcess console;
    console.start(binDir() + QStringLiteral("/tallyport"),
                  {QStringLiteral("--headless"), QStringLiteral("--data-dir"), folder});
    const auto failed = [&](const char* what) {
        std::fprintf(stderr, "web_reporter: %s\n%s\n", what,
                     console.readAllStandardError().constData());
        return 1;
    };
    if (!waitForLine(console, QStringLiteral("Tallyport"), nullptr, 60000))
        return failed("the console did not start");
    for (int i = 0; i < kReaders; ++i)
        if (!waitForLine(sim, QStringLiteral("readersim connected"), nullptr, 60000))
            return failed("the readers did not connect");
    // The server's keyed opens happen before the first phase.
    bool answered = false;
    for (int i = 0; i < 30 && !answered; ++i)
        answered = runLoad(webPort, requestFor("/logs", true), 200, 1, 1).done > 0;
    if (!answered) return failed("the web reporter does not answer");

    const std::vector<Phase> phases = {
        {"no HTTP load", nullptr, false, 0, 0},      {"trivial (401)", "/today", false, 401, 2},
        {"/today", "/today", true, 200, 2},          {"/logs", "/logs", true, 200, 2},
        {"trivial (401)", "/today", false, 401, 50}, {"/today", "/today", true, 200, 50},
        {"/logs", "/logs", true, 200, 50},
    };
    std::atomic<int> phase{0};
    std::vector<LoadResult> results(phases.size());
    std::atomic<bool> loadDone{false};
    const qint64 webThread = threadNamed(console.processId(), QStringLiteral("web reporter"));
    std::thread load([&] {
        // The load stands for browsers on other machines: like the server's own thread it
        // yields to the reader path it is measured against.
        (void)::setpriority(PRIO_PROCESS, id_t(::syscall(SYS_gettid)), 10);
        for (size_t i = 0; i < phases.size(); ++i) {
            phase = int(i);
            const Phase& p = phases[i];
            if (!p.path)
                std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
            else {
                const double cpu0 = threadCpuSeconds(console.processId(), webThread);
                results[i] =
                    runLoad(webPort, requestFor(p.path, p.withToken), p.expect, p.conns, seconds);
                results[i].serverCpu = threadCpuSeconds(console.processId(), webThread) - cpu0;
            }
        }
        loadDone = true;
    });

    QElapsedTimer clock;
    clock.start();
    QHash<int, std::pair<qint64, int>> sentAt;  // card -> (ns, phase)
    std::vector<std::vector<double>> delays(phases.size());
    size_t seen = 0;
    QObject::connect(&console, &QProcess::readyReadStandardOutput, [&] {
        while (console.canReadLine()) {
            const QList<QByteArray> f = console.readLine().split('\t');
            if (f.size() < 5) continue;
            const auto it = sentAt.constFind(f[1].toInt());
            if (it == sentAt.cend()) continue;
            delays[size_t(it->second)].push_back(double(clock.nsecsElapsed() - it->first) / 1e6);
            ++seen;
        }
    });
    QObject::connect(&sim, &QProcess::readyReadStandardOutput,
                     [&] { sim.readAllStandardOutput(); });
    int sent = 0;
    const qint64 stepNs = 1'000'000'000LL / (kPerSecond * kReaders);
    QTimer send;
    send.setTimerType(Qt::PreciseTimer);
    QObject::connect(&send, &QTimer::timeout, [&] {
        while (!loadDone && qint64(sent) * stepNs <= clock.nsecsElapsed()) {
            const int card = 100000 + sent;
            sentAt.insert(card, {clock.nsecsElapsed(), phase.load()});
            sim.write(
                QStringLiteral("@%1 card 6 %2\n").arg(ports[sent % kReaders]).arg(card).toUtf8());
            ++sent;
        }
    });
    send.start(2);
    // Waits for events rather than polling: a spinning loop here would take a core from the
    // console it measures. The tick wakes the drain below once the sender has stopped.
    QTimer tick;
    tick.start(10);
    while (!loadDone) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    send.stop();
    QElapsedTimer drain;
    drain.start();
    while (seen < size_t(sent) && drain.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    load.join();
    console.terminate();
    console.waitForFinished(30000);
    sim.kill();
    sim.waitForFinished(5000);
    const qint64 rows = storedRows(folder) - rowsBefore;

    std::printf(
        "web_reporter: log of %lld rows (prepared in %.1f s), %d readers x %d punches/s, "
        "%.0f s per phase\n",
        (long long)rowsBefore, double(fillMs) / 1000, kReaders, kPerSecond, seconds);
    std::printf("  %-14s %5s %10s %9s %9s %7s %8s | %s\n", "page", "conns", "req/s", "p50 ms",
                "p99 ms", "errors", "srv us", "punch send->stored p50 / p99 / max ms");
    for (size_t i = 0; i < phases.size(); ++i) {
        const Phase& p = phases[i];
        const LoadResult& r = results[i];
        const auto& d = delays[i];
        if (p.path)
            std::printf("  %-14s %5d %10.0f %9.2f %9.2f %7llu %8.1f | %.2f / %.2f / %.2f (%zu)\n",
                        p.name, p.conns, double(r.done) / r.seconds, percentile(r.ms, 0.5),
                        percentile(r.ms, 0.99), (unsigned long long)r.errors,
                        r.done ? r.serverCpu * 1e6 / double(r.done) : 0.0, percentile(d, 0.5),
                        percentile(d, 0.99), percentile(d, 1.0), d.size());
        else
            std::printf("  %-14s %5s %10s %9s %9s %7s %8s | %.2f / %.2f / %.2f (%zu)\n", p.name,
                        "-", "-", "-", "-", "-", "-", percentile(d, 0.5), percentile(d, 0.99),
                        percentile(d, 1.0), d.size());
    }
    std::printf("  punches sent %d, rows stored %lld, lost %lld, lines seen %zu\n", sent,
                (long long)rows, (long long)(sent - rows), seen);
    std::printf("  targets: >= 20000 req/s and p99 < 20 ms at 50 connections; punch p99 < 10 ms\n");
    return rows == sent ? 0 : 1;
}
