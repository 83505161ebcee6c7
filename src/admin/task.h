#pragma once

// Reader sequences as straight-line code that waits without blocking.
//
// A sequence of reader commands (lock, read, read, ..., unlock) waits for a reply after each
// command. Written as a coroutine returning Task<T>, each wait is a `co_await` that hands the
// event loop back until the reply came, its time ran out or the line dropped: card events of
// every reader go on being stored meanwhile, other sequences (another reader's automatic
// download) go on too, and nothing waits on the stack of another.
//
//   Task<bool> lockThenUnlock(ReaderExchange& ex) {
//       if (!co_await ex.LockReader(true)) co_return false;
//       co_return co_await ex.UnlockReader();
//   }
//
// A Task starts when it is awaited or started. A dialog or the command line runs one to its
// end with runToEnd(), which runs a local event loop meanwhile; background work keeps the Task
// and starts it. Destroying a Task that has not finished destroys its frame and everything it
// holds, so a sequence is abandoned cleanly (its waits end, its holds are released).
// A Task resumes from the event loop, never from inside the signal it waited for.
//
// Two shapes that GCC 12 compiles wrongly, so they do not appear in our coroutines:
// - a braced temporary as an argument of a coroutine (`f({a, b})`): its storage is freed while
//   the callee still uses it; pass a named value;
// - `co_await` in the condition of an `if` or `while` of a body without a local of its own:
//   the coroutine never runs; write `if (const bool ok = co_await f(); !ok)`.

#include <QEventLoop>
#include <QObject>
#include <QTimer>
#include <coroutine>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

namespace tallyport {

template <typename T>
class Task;

namespace task_detail {

struct FinalAwaiter {
    bool await_ready() const noexcept { return false; }
    template <typename P>
    std::coroutine_handle<> await_suspend(std::coroutine_handle<P> h) noexcept {
        auto& p = h.promise();
        if (p.continuation) return p.continuation;
        // A copy on this stack: the callback may destroy the frame that holds the original.
        if (auto finished = std::move(p.finished)) finished();
        return std::noop_coroutine();
    }
    void await_resume() const noexcept {}
};

struct PromiseBase {
    std::coroutine_handle<> continuation;
    std::function<void()> finished;
    std::suspend_always initial_suspend() const noexcept { return {}; }
    FinalAwaiter final_suspend() const noexcept { return {}; }
    void unhandled_exception() const noexcept { std::terminate(); }
};

template <typename T>
struct Promise : PromiseBase {
    std::optional<T> value;
    Task<T> get_return_object();
    void return_value(T v) { value.emplace(std::move(v)); }
};

template <>
struct Promise<void> : PromiseBase {
    Task<void> get_return_object();
    void return_void() const noexcept {}
};

}  // namespace task_detail

template <typename T = void>
class [[nodiscard]] Task {
public:
    using promise_type = task_detail::Promise<T>;
    using Handle = std::coroutine_handle<promise_type>;

    Task() = default;
    explicit Task(Handle h) : m_h(h) {}
    Task(Task&& o) noexcept : m_h(std::exchange(o.m_h, {})) {}
    Task& operator=(Task&& o) noexcept {
        if (this != &o) {
            reset();
            m_h = std::exchange(o.m_h, {});
        }
        return *this;
    }
    Task(const Task&) = delete;
    Task& operator=(const Task&) = delete;
    ~Task() { reset(); }

    // Awaited from another Task: runs it, and the awaiting one goes on when it has ended.
    bool await_ready() const noexcept { return false; }
    std::coroutine_handle<> await_suspend(std::coroutine_handle<> caller) noexcept {
        m_h.promise().continuation = caller;
        return m_h;
    }
    T await_resume() {
        if constexpr (!std::is_void_v<T>) return std::move(*m_h.promise().value);
    }

    // At the top: runs until its first wait; `finished` is called when it has ended.
    void start(std::function<void()> finished) {
        m_h.promise().finished = std::move(finished);
        m_h.resume();
    }
    bool done() const { return m_h && m_h.done(); }
    // The value of a finished Task.
    T result() {
        if constexpr (!std::is_void_v<T>) return std::move(*m_h.promise().value);
    }

private:
    void reset() {
        if (m_h) m_h.destroy();
        m_h = {};
    }
    Handle m_h;
};

namespace task_detail {
template <typename T>
Task<T> Promise<T>::get_return_object() {
    return Task<T>(std::coroutine_handle<Promise<T>>::from_promise(*this));
}
inline Task<void> Promise<void>::get_return_object() {
    return Task<void>(std::coroutine_handle<Promise<void>>::from_promise(*this));
}
}  // namespace task_detail

// Waits for the next emission of `signal` by `sender`; `start`, when given, runs once the wait
// is in place, so a signal it emits at once is not missed. The Task goes on from the event
// loop. Abandoning the wait (the Task destroyed) drops the resumption.
template <typename Sender, typename Signal>
class SignalAwaiter {
public:
    SignalAwaiter(const Sender* sender, Signal signal, std::function<void()> start = {})
        : m_sender(sender), m_signal(signal), m_start(std::move(start)) {}

    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> h) {
        m_context = std::make_unique<QObject>();
        QObject::connect(
            m_sender, m_signal, m_context.get(), [this, h] { resume(h); },
            Qt::ConnectionType(Qt::QueuedConnection | Qt::SingleShotConnection));
        if (m_start) m_start();
    }
    void await_resume() const noexcept {}

private:
    void resume(std::coroutine_handle<> h) {
        m_context.release()->deleteLater();  // this call is delivered to it
        h.resume();
    }

    const Sender* m_sender;
    Signal m_signal;
    std::function<void()> m_start;
    std::unique_ptr<QObject> m_context;
};

template <typename Sender, typename Signal>
SignalAwaiter<Sender, Signal> nextSignal(const Sender* sender, Signal signal,
                                         std::function<void()> start = {}) {
    return SignalAwaiter<Sender, Signal>(sender, signal, std::move(start));
}

// Goes on after `ms` milliseconds (0: at the next turn of the event loop).
class DelayAwaiter {
public:
    explicit DelayAwaiter(int ms) : m_ms(ms) {}
    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> h) {
        m_context = std::make_unique<QObject>();
        QTimer::singleShot(m_ms, m_context.get(), [this, h] {
            m_context.release()->deleteLater();
            h.resume();
        });
    }
    void await_resume() const noexcept {}

private:
    int m_ms;
    std::unique_ptr<QObject> m_context;
};

inline DelayAwaiter after(int ms) {
    return DelayAwaiter(ms);
}

// Runs a Task to its end while a local event loop turns. Nothing when the application quit
// meanwhile: the Task is then abandoned.
template <typename T>
std::optional<T> runToEnd(Task<T> task) {
    bool finished = false;
    QEventLoop loop;
    task.start([&] {
        finished = true;
        loop.quit();
    });
    if (!finished) loop.exec();
    if (!finished) return std::nullopt;
    return task.result();
}

inline bool runToEnd(Task<void> task) {
    bool finished = false;
    QEventLoop loop;
    task.start([&] {
        finished = true;
        loop.quit();
    });
    if (!finished) loop.exec();
    return finished;
}

}  // namespace tallyport
