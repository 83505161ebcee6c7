#pragma once

#include "base/error.h"
#include "peripherals/peripherals.h"

#include <QByteArray>
#include <QString>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace tallyport {

// Synthesised speech in memory: signed 16-bit mono samples in the machine's byte order.
struct Pcm {
    QByteArray samples;
    int sampleRate = 0;
    qint64 durationMs() const;
};

// Turns a text into samples. Called on the speech worker only.
class Synthesiser {
public:
    virtual ~Synthesiser() = default;
    virtual Result<Pcm> synthesise(const QString& text) = 0;
};

// Plays samples and returns when they have been played, or after a bounded wait: a missing or
// stuck audio device must never hold the queue for good. Called on the speech worker only;
// cancel() may come from any thread: it ends a wait at once, and every later play()
// returns at once too.
class SoundSink {
public:
    virtual ~SoundSink() = default;
    virtual void play(const Pcm& pcm) = 0;
    virtual void cancel() {}
};

// The voice of the console: speak() puts the texts in a queue and returns at once; one
// worker thread synthesises and plays them in order, one after another, so the reader
// polling and the windows never wait for a greeting.
class SpeechQueue final : public SpeechVoice {
public:
    // Texts waiting beyond this are dropped: after a burst of cards the voice would otherwise
    // greet people who left long ago.
    static constexpr std::size_t kMaxPending = 16;

    SpeechQueue(std::unique_ptr<Synthesiser> synth, std::unique_ptr<SoundSink> sink);
    // Drops what waits and ends the text being spoken.
    ~SpeechQueue() override;

    void speak(const QStringList& texts) override;
    // Texts queued and not yet finished (also the one being spoken).
    std::size_t pending() const;

private:
    void run();

    std::unique_ptr<Synthesiser> m_synth;
    std::unique_ptr<SoundSink> m_sink;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<QString> m_texts;
    bool m_busy = false;
    bool m_stopping = false;
    std::thread m_worker;
};

}  // namespace tallyport
