// What browsers that misbehave can take of `tallyport --headless` on a 2,000,000-row log while
// eight simulated readers punch 20 times a second each (160 a second in all).
//
// Method: after a quiet phase (punches only) gives the baseline, a client thread of the bench
// (at nice 10, like the console's web thread: it stands for machines elsewhere) asks once for
// 100,000 rows (refused when that is over the server's row limit; the largest allowed pages are
// used then), opens 200 connections that trickle one byte of a request every few seconds,
// fetches 60 distinct large pages in full over two connections and then opens 40 connections
// that each ask for another large page once and never read. Every client address holds at most
// 20 of these connections (any 127.x.y.z address is this machine's), below the limit per
// address. A second thread stands for a well-behaved browser: every half second a new
// connection for /logs, timed from connect to the whole answer. The console's resident memory
// is read from /proc every 100 ms (VmRSS) and at the end (VmHWM, the peak); punches are timed
// from the frame's send to the console's printed line for the committed row.
// Usage: bench_web_memory [attack seconds, default 50] [data folder to keep and reuse]
#include "bench_http.h"
#include "bench_punches.h"
#include "bench_site.h"
#include "bench_support.h"
#include "peak_memory.h"
#include "web/web_request.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using namespace tallyport;
using namespace tallyport::bench;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kAskedRows = 100'000;
constexpr int kPages = 60;
constexpr int kSilent = 40;  // ask once, never read
constexpr int kTricklers = 200;
constexpr int kPerAddress = 20;
constexpr int kTrickleMs = 5000;
constexpr int kQuietSeconds = 5;
constexpr double kMaxGrowthMb = 150;
constexpr double kMaxGoodMs = 1000;
constexpr double kMaxPunchP99Ms = 10;

void niceThisThread() {
    (void)::setpriority(PRIO_PROCESS, id_t(::syscall(SYS_gettid)), 10);
}

// A connection to the console's port from 127.0.0.`host`; -1 when it cannot be made.
int connectFrom(int host, uint16_t port, bool blocking) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(0x7f000000u | uint32_t(host));
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) return ::close(fd), -1;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) return ::close(fd), -1;
    if (!blocking) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    return fd;
}

std::string get(const std::string& target) {
    return "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
}

// One request on a blocking connection: the status (0: none) and the answer's body.
int askOnce(int fd, const std::string& request, std::string& body, int timeoutMs) {
    timeval tv{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    if (::write(fd, request.data(), request.size()) != ssize_t(request.size())) return 0;
    std::string in;
    char buf[65536];
    int status = 0;
    while (true) {
        if (const size_t n = completeAnswer(in, status)) {
            body = in.substr(in.find("\r\n\r\n") + 4, n - in.find("\r\n\r\n") - 4);
            return status;
        }
        const ssize_t got = ::read(fd, buf, sizeof buf);
        if (got <= 0) return 0;
        in.append(buf, size_t(got));
    }
}

// ---- the attack ----

struct Attack {
    int refusedStatus = 0;  // of the request for kAskedRows rows
    std::string refusedBody;
    int pageRows = 0;  // the size of the pages fetched
    std::vector<double> pageMs;
    std::vector<int> pageStatus;
    qint64 pageBytes = 0;
    int silentOpen = 0, silentClosed = 0;
    int tricklersOpen = 0, tricklersClosed = 0;
};

// A connection the bench holds open without reading: closed once the console closed it.
struct Held {
    int fd = -1;
    bool closed = false;
};

int countOpen(const std::vector<Held>& list) {
    return int(std::count_if(list.begin(), list.end(), [](const Held& h) { return h.fd >= 0; }));
}

int countClosed(const std::vector<Held>& list) {
    return int(std::count_if(list.begin(), list.end(), [](const Held& h) { return h.closed; }));
}

struct Fetcher {
    int fd = -1;
    std::string in;
    Clock::time_point sent;
    int next = -1;  // the page asked for, -1 when idle
};

class Attacker {
public:
    Attacker(uint16_t port, Attack& out) : m_port(port), m_out(out) {}

    void run(double seconds, const std::atomic<bool>& stop) {
        niceThisThread();
        askTooMany();
        m_ep = ::epoll_create1(EPOLL_CLOEXEC);
        openTricklers();
        for (Fetcher& f : m_fetchers) {
            f.fd = connectFrom(1, m_port, false);
            watch(f.fd, EPOLLIN, &f);
            askNext(f);
        }
        const auto end = Clock::now() + std::chrono::duration<double>(seconds);
        auto nextTrickle = Clock::now();
        while (Clock::now() < end && !stop) {
            if (Clock::now() >= nextTrickle) {
                trickle();
                nextTrickle += std::chrono::milliseconds(kTrickleMs / 10);
            }
            epoll_event events[64];
            const int n = ::epoll_wait(m_ep, events, 64, 50);
            for (int i = 0; i < n; ++i) handle(events[i]);
            // The silent clients come once the pages are fetched: pages still served show
            // what the kept pages take, and then what answers nobody reads take.
            if (m_silent.empty() && fetched()) openSilent();
        }
        m_out.tricklersClosed = countClosed(m_trickle);
        m_out.silentClosed = countClosed(m_silent);
        for (const auto* list : {&m_trickle, &m_silent})
            for (const Held& h : *list) ::close(h.fd);
        for (Fetcher& f : m_fetchers) ::close(f.fd);
        ::close(m_ep);
    }

private:
    // What happens to a request for more rows than a page may list decides the pages' size.
    void askTooMany() {
        const int fd = connectFrom(1, m_port, true);
        m_out.refusedStatus =
            askOnce(fd, get("/logs?" + std::to_string(kAskedRows)), m_out.refusedBody, 60000);
        ::close(fd);
        m_out.pageRows = m_out.refusedStatus == 200 ? kAskedRows : kMaxListedRows;
    }

    void watch(int fd, uint32_t events, Fetcher* f) {
        epoll_event ev{};
        ev.events = events;
        ev.data.ptr = f;
        ::epoll_ctl(m_ep, EPOLL_CTL_ADD, fd, &ev);
    }
    // Held connections are told apart by a tag in the lowest bit (both are aligned).
    static constexpr uint64_t kHeldTag = 1;
    void watch(int fd, uint32_t events, Held* h) {
        epoll_event ev{};
        ev.events = events;
        ev.data.u64 = reinterpret_cast<uint64_t>(h) | kHeldTag;
        ::epoll_ctl(m_ep, EPOLL_CTL_ADD, fd, &ev);
    }

    // Connections past a limit are answered and closed by the server: noted, never opened again.
    void openTricklers() {
        m_trickle.resize(kTricklers);
        for (int i = 0; i < kTricklers; ++i) {
            Held& h = m_trickle[size_t(i)];
            h.fd = connectFrom(10 + i / kPerAddress, m_port, false);
            if (h.fd >= 0) watch(h.fd, EPOLLRDHUP, &h);
        }
        m_out.tricklersOpen = countOpen(m_trickle);
    }

    // Each asks for a distinct large page, not one of those the fetchers read.
    void openSilent() {
        m_silent.resize(kSilent);
        for (int i = 0; i < kSilent; ++i) {
            Held& h = m_silent[size_t(i)];
            h.fd = connectFrom(100 + i / kPerAddress, m_port, false);
            if (h.fd < 0) continue;
            const std::string r = get("/logs?" + std::to_string(m_out.pageRows - kPages - i));
            (void)!::write(h.fd, r.data(), r.size());
            watch(h.fd, EPOLLRDHUP, &h);
        }
        m_out.silentOpen = countOpen(m_silent);
    }

    // A tenth of the tricklers send their next byte; the request is never complete.
    void trickle() {
        static const std::string slow = "GET /logs HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Slow: ";
        for (size_t i = m_trickleTurn % 10; i < m_trickle.size(); i += 10)
            if (!m_trickle[i].closed && m_trickle[i].fd >= 0) {
                const size_t at = m_trickleSent[i]++ % slow.size();
                (void)!::write(m_trickle[i].fd, slow.data() + at, 1);
            }
        ++m_trickleTurn;
    }

    bool fetched() const {
        return std::all_of(std::begin(m_fetchers), std::end(m_fetchers),
                           [](const Fetcher& f) { return f.next < 0; });
    }

    void askNext(Fetcher& f) {
        if (m_nextPage >= kPages) {
            f.next = -1;
            return;
        }
        f.next = m_nextPage++;
        f.sent = Clock::now();
        const std::string r = get("/logs?" + std::to_string(m_out.pageRows - f.next));
        (void)!::write(f.fd, r.data(), r.size());
    }

    void handle(const epoll_event& ev) {
        if (ev.data.u64 & kHeldTag) {
            Held& h = *reinterpret_cast<Held*>(ev.data.u64 & ~kHeldTag);
            h.closed = true;  // the console ended it (EPOLLRDHUP, EPOLLHUP or EPOLLERR)
            ::epoll_ctl(m_ep, EPOLL_CTL_DEL, h.fd, nullptr);
            return;
        }
        Fetcher& f = *static_cast<Fetcher*>(ev.data.ptr);
        char buf[65536];
        for (ssize_t got; (got = ::read(f.fd, buf, sizeof buf)) > 0;) f.in.append(buf, size_t(got));
        int status = 0;
        while (const size_t used = completeAnswer(f.in, status)) {
            m_out.pageMs.push_back(
                std::chrono::duration<double, std::milli>(Clock::now() - f.sent).count());
            m_out.pageStatus.push_back(status);
            m_out.pageBytes += qint64(used);
            f.in.erase(0, used);
            askNext(f);
        }
    }

    uint16_t m_port;
    Attack& m_out;
    int m_ep = -1;
    std::vector<Held> m_trickle, m_silent;
    std::vector<size_t> m_trickleSent = std::vector<size_t>(kTricklers);
    size_t m_trickleTurn = 0;
    Fetcher m_fetchers[2];
    int m_nextPage = 0;
};

// A browser that behaves: a new connection every half second, /logs read whole.
struct GoodClient {
    std::vector<double> ms;
    int asked = 0, failed = 0;

    void run(uint16_t port, const std::atomic<bool>& stop) {
        while (!stop) {
            const auto t0 = Clock::now();
            ++asked;
            std::string body;
            const int fd = connectFrom(1, port, true);
            const int status = fd < 0 ? 0 : askOnce(fd, get("/logs"), body, 10000);
            if (fd >= 0) ::close(fd);
            if (status == 200)
                ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
            else
                ++failed;
            std::this_thread::sleep_until(t0 + std::chrono::milliseconds(500));
        }
    }
};

double mb(long kb) {
    return double(kb) / 1024.0;
}

const char* verdict(bool met) {
    return met ? "met" : "MISSED";
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    RecordingSite site;
    QTemporaryDir dir;
    const double seconds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toDouble() : 50;
    const QString folder = argc > 2 ? QString::fromLocal8Bit(argv[2]) : dir.path();

    if (const QString failure = site.start(folder, kRows, kReaders); !failure.isEmpty())
        return std::fprintf(stderr, "web_memory: %s\n", qPrintable(failure)), 1;
    QProcess& console = site.console;
    const quint16 webPort = site.webPort;
    const QString pid = QString::number(console.processId());
    // The server's keyed opens happen before the baseline.
    bool answered = false;
    for (int i = 0; i < 30 && !answered; ++i) {
        std::string body;
        const int fd = connectFrom(1, webPort, true);
        answered = fd >= 0 && askOnce(fd, get("/logs"), body, 2000) == 200;
        ::close(fd);
        if (!answered) std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    if (!answered)
        return std::fprintf(
                   stderr, "web_memory: %s\n",
                   qPrintable(site.failure(QStringLiteral("the web reporter does not answer")))),
               1;

    enum Bucket { Quiet, Attacked, After };
    std::atomic<int> bucket{Quiet};
    PunchClock punches(console, site.sim, site.ports, kPerSecond);
    punches.start([&] { return bucket.load(); });
    const auto runFor = [](double s, const std::function<bool()>& until = {}) {
        QElapsedTimer t;
        t.start();
        QTimer tick;
        tick.start(10);
        while (t.elapsed() < qint64(s * 1000) && !(until && until()))
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    };
    runFor(kQuietSeconds);
    const long baselineKb = statusKb(pid, "VmRSS");

    long highestKb = baselineKb;
    QTimer sample;
    QObject::connect(&sample, &QTimer::timeout,
                     [&] { highestKb = std::max(highestKb, statusKb(pid, "VmRSS")); });
    sample.start(100);
    bucket = Attacked;
    Attack attack;
    GoodClient good;
    std::atomic<bool> stop{false}, attackDone{false};
    std::thread attacker([&] {
        Attacker(webPort, attack).run(seconds, stop);
        attackDone = true;
    });
    std::thread browser([&] { good.run(webPort, attackDone); });
    runFor(seconds + 120, [&] { return attackDone.load(); });
    stop = true;
    attacker.join();
    browser.join();
    const long peakAttackKb = peakKb(pid);
    sample.stop();
    bucket = After;
    runFor(kQuietSeconds);
    const long afterKb = statusKb(pid, "VmRSS");
    punches.stop();
    punches.drain(5000);
    site.stop();
    const qint64 rows = storedRows(folder) - site.rowsBefore;

    const std::vector<double> quiet = punches.delays(Quiet), attacked = punches.delays(Attacked);
    const double growthMb = mb(std::max(highestKb, peakAttackKb) - baselineKb);
    const bool goodMet =
        good.failed == 0 && !good.ms.empty() && percentile(good.ms, 1.0) < kMaxGoodMs;
    const bool punchMet = percentile(attacked, 0.99) < kMaxPunchP99Ms;
    const int pagesOk = int(std::count(attack.pageStatus.begin(), attack.pageStatus.end(), 200));

    std::printf("web_memory: log of %lld rows, %d readers x %d punches/s, attack %.0f s\n",
                (long long)site.rowsBefore, kReaders, kPerSecond, seconds);
    std::printf("  /logs?%d: %d %s", kAskedRows, attack.refusedStatus,
                attack.refusedStatus == 200 ? "(listed)\n" : attack.refusedBody.c_str());
    if (attack.pageRows != kAskedRows)
        std::printf("  -> over the row limit: the largest allowed pages (%d rows) are used\n",
                    attack.pageRows);
    std::printf(
        "  %d distinct pages of %d..%d rows: %d answered 200 of %zu (%.1f MB in all), "
        "p50 %.0f ms, max %.0f ms\n",
        kPages, attack.pageRows - kPages + 1, attack.pageRows, pagesOk, attack.pageStatus.size(),
        double(attack.pageBytes) / 1048576.0, percentile(attack.pageMs, 0.5),
        percentile(attack.pageMs, 1.0));
    std::printf("  %d of %d silent clients connected, %d closed by the console meanwhile\n",
                attack.silentOpen, kSilent, attack.silentClosed);
    std::printf("  %d of %d trickling connections connected, %d closed by the console meanwhile\n",
                attack.tricklersOpen, kTricklers, attack.tricklersClosed);
    std::printf(
        "  resident memory: %.1f MB before; highest VmRSS %.1f MB, VmHWM %.1f MB while "
        "attacked; %.1f MB after\n",
        mb(baselineKb), mb(highestKb), mb(peakAttackKb), mb(afterKb));
    std::printf("  growth %.1f MB (target <= %.0f MB): %s\n", growthMb, kMaxGrowthMb,
                verdict(growthMb <= kMaxGrowthMb));
    std::printf(
        "  well-behaved /logs every 0.5 s: %d asked, %d failed, p50 %.1f ms, p99 %.1f ms, "
        "max %.1f ms (target < %.0f ms): %s\n",
        good.asked, good.failed, percentile(good.ms, 0.5), percentile(good.ms, 0.99),
        percentile(good.ms, 1.0), kMaxGoodMs, verdict(goodMet));
    std::printf(
        "  punch send->stored: quiet p50 %.2f / p99 %.2f / max %.2f ms (%zu); attacked "
        "p50 %.2f / p99 %.2f / max %.2f ms (%zu) (target p99 < %.0f ms): %s\n",
        percentile(quiet, 0.5), percentile(quiet, 0.99), percentile(quiet, 1.0), quiet.size(),
        percentile(attacked, 0.5), percentile(attacked, 0.99), percentile(attacked, 1.0),
        attacked.size(), kMaxPunchP99Ms, verdict(punchMet));
    std::printf("  punches sent %d, rows stored %lld, lost %lld\n", punches.sent(), (long long)rows,
                (long long)(punches.sent() - rows));
    return rows == punches.sent() && growthMb <= kMaxGrowthMb && goodMet && punchMet ? 0 : 1;
}
