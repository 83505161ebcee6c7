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
#include "bench_http.h"
#include "bench_punches.h"
#include "bench_site.h"
#include "bench_support.h"
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
    int host = 1;  // connects from 127.0.0.host
    std::string in;
    Clock::time_point sent;
};

bool openConn(Conn& c, uint16_t port, int ep) {
    c.fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(0x7f000000u | uint32_t(c.host));
    if (::bind(c.fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) return false;
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
    // Browsers on several machines: 25 connections an address, below the server's limit.
    for (size_t i = 0; i < all.size(); ++i) all[i].host = 1 + int(i / 25);
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

struct Phase {
    const char* name;
    const char* path;  // null: no HTTP load
    bool withToken;
    int expect;
    int conns;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    RecordingSite site;
    QTemporaryDir dir;
    const double seconds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toDouble() : 10;
    const QString folder = argc > 2 ? QString::fromLocal8Bit(argv[2]) : dir.path();

    if (const QString failure = site.start(folder, kRows, kReaders, QString::fromLatin1(kToken));
        !failure.isEmpty())
        return std::fprintf(stderr, "web_reporter: %s\n", qPrintable(failure)), 1;
    QProcess& console = site.console;
    const quint16 webPort = site.webPort;
    // The server's keyed opens happen before the first phase.
    bool answered = false;
    for (int i = 0; i < 30 && !answered; ++i)
        answered = runLoad(webPort, requestFor("/logs", true), 200, 1, 1).done > 0;
    if (!answered)
        return std::fprintf(
                   stderr, "web_reporter: %s\n",
                   qPrintable(site.failure(QStringLiteral("the web reporter does not answer")))),
               1;

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

    PunchClock punches(console, site.sim, site.ports, kPerSecond);
    punches.start([&] { return phase.load(); });
    // Waits for events rather than polling: a spinning loop here would take a core from the
    // console it measures.
    QTimer tick;
    tick.start(10);
    while (!loadDone) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    punches.stop();
    punches.drain(5000);
    load.join();
    site.stop();
    const qint64 rows = storedRows(folder) - site.rowsBefore;

    std::printf(
        "web_reporter: log of %lld rows (prepared in %.1f s), %d readers x %d punches/s, "
        "%.0f s per phase\n",
        (long long)site.rowsBefore, site.fillSeconds, kReaders, kPerSecond, seconds);
    std::printf("  %-14s %5s %10s %9s %9s %7s %8s | %s\n", "page", "conns", "req/s", "p50 ms",
                "p99 ms", "errors", "srv us", "punch send->stored p50 / p99 / max ms");
    for (size_t i = 0; i < phases.size(); ++i) {
        const Phase& p = phases[i];
        const LoadResult& r = results[i];
        const std::vector<double> d = punches.delays(int(i));
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
    std::printf("  punches sent %d, rows stored %lld, lost %lld, lines seen %zu\n", punches.sent(),
                (long long)rows, (long long)(punches.sent() - rows), punches.seen());
    std::printf("  targets: >= 20000 req/s and p99 < 20 ms at 50 connections; punch p99 < 10 ms\n");
    return rows == punches.sent() ? 0 : 1;
}
