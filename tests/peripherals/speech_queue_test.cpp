#include "peripherals/speech_queue.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <chrono>
#include <future>
#include <mutex>

using namespace tallyport;

namespace {

// Records what was said; each text becomes samples carrying the text itself.
class FakeSynth final : public Synthesiser {
public:
    Result<Pcm> synthesise(const QString& text) override {
        if (text == QStringLiteral("broken")) return fail(QStringLiteral("no voice"));
        return Pcm{text.toUtf8(), 16000};
    }
};

// A sink that holds every text until the test releases it, like a slow audio device.
class GatedSink final : public SoundSink {
public:
    void play(const Pcm& pcm) override {
        std::unique_lock lock(m_mutex);
        m_played << QString::fromUtf8(pcm.samples);
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return m_open || m_cancelled; });
    }
    void cancel() override {
        std::lock_guard lock(m_mutex);
        m_cancelled = true;
        m_changed.notify_all();
    }
    void open() {
        std::lock_guard lock(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }
    QStringList waitFor(qsizetype count) {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, std::chrono::seconds(5), [&] { return m_played.size() >= count; });
        return m_played;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    QStringList m_played;
    bool m_open = false;
    bool m_cancelled = false;
};

struct Speech {
    GatedSink* sink = new GatedSink;
    SpeechQueue queue{std::make_unique<FakeSynth>(), std::unique_ptr<SoundSink>(sink)};
};

TEST(SpeechQueue, SpeakReturnsAtOnceWhileTheDeviceIsBusy) {
    Speech s;
    QElapsedTimer t;
    t.start();
    s.queue.speak({QStringLiteral("Good morning"), QStringLiteral("ANNA")});
    s.queue.speak({QStringLiteral("Good morning"), QStringLiteral("BERT")});
    EXPECT_LT(t.elapsed(), 200);
    EXPECT_EQ(s.sink->waitFor(1), QStringList{"Good morning"});  // the rest waits its turn
    EXPECT_EQ(s.queue.pending(), 4u);
    s.sink->open();
    EXPECT_EQ(s.sink->waitFor(4), (QStringList{"Good morning", "ANNA", "Good morning", "BERT"}));
}

TEST(SpeechQueue, FailingAndEmptyTextsAreSkippedAndTheRestGoesOn) {
    Speech s;
    s.sink->open();
    s.queue.speak({QStringLiteral("broken"), QString(), QStringLiteral("  "),
                   QStringLiteral("Good evening")});
    EXPECT_EQ(s.sink->waitFor(1), QStringList{"Good evening"});
}

// A voice that fails is said once, on the thread that asked to be told, however often it
// fails: a greeting per punch must not become an error box per punch.
TEST(SpeechQueue, AFailureIsToldOnceOnTheReportersThread) {
    Speech s;
    s.sink->open();
    QObject context;
    QStringList told;
    Qt::HANDLE toldOn = nullptr;
    s.queue.setFailureReporter(&context, [&](const QString& text) {
        told << text;
        toldOn = QThread::currentThreadId();
    });
    s.queue.speak({QStringLiteral("broken"), QStringLiteral("broken"), QStringLiteral("after")});
    s.sink->waitFor(1);
    QCoreApplication::processEvents();
    EXPECT_EQ(told, QStringList{QStringLiteral("No spoken greeting: no voice")});
    EXPECT_EQ(toldOn, QThread::currentThreadId());

    UnavailableVoice missing(QStringLiteral("No spoken greeting: no voice data"));
    missing.setFailureReporter(&context, [&](const QString& text) { told << text; });
    missing.speak({QStringLiteral("Good Morning"), QStringLiteral("ANNA")});
    missing.speak({QStringLiteral("Good Morning"), QStringLiteral("BERT")});
    QCoreApplication::processEvents();
    EXPECT_EQ(told.size(), 2);
    EXPECT_EQ(told.value(1), QStringLiteral("No spoken greeting: no voice data"));
}

// A burst of cards while the device is stuck: the queue stays bounded, and closing the
// console does not wait for the stuck device.
TEST(SpeechQueue, BoundedQueueAndPromptEndWhileTheDeviceIsStuck) {
    auto s = std::make_unique<Speech>();
    s->queue.speak({QStringLiteral("first")});
    s->sink->waitFor(1);
    for (int i = 0; i < 40; ++i) s->queue.speak({QStringLiteral("card %1").arg(i)});
    EXPECT_EQ(s->queue.pending(), SpeechQueue::kMaxPending + 1);
    QElapsedTimer t;
    t.start();
    s.reset();
    EXPECT_LT(t.elapsed(), 1000);
}

}  // namespace
