#pragma once

#include "peripherals/speech_queue.h"

#include <QObject>
#include <condition_variable>
#include <memory>
#include <mutex>

class QAudioSink;
class QBuffer;

namespace tallyport {

// Plays samples through the default audio output. The sink lives on the thread that made the
// player (the one running the event loop); play() is called from the speech worker, hands the
// samples over and waits until they were played, the device stopped, or their length plus a
// margin passed. Without an audio output nothing is played and play() returns at once.
class AudioPlayer final : public QObject, public SoundSink {
    Q_OBJECT
public:
    explicit AudioPlayer(QObject* parent = nullptr);
    ~AudioPlayer() override;

    void play(const Pcm& pcm) override;
    void cancel() override;

private:
    struct Wait;
    void start(const Pcm& pcm, std::shared_ptr<Wait> wait);
    void finish();

    std::shared_ptr<Wait> m_current;
    QAudioSink* m_sink = nullptr;
    QBuffer* m_buffer = nullptr;
    std::mutex m_mutex;
    bool m_cancelled = false;
    std::shared_ptr<Wait> m_waiting;  // the wait of the worker, for cancel()
};

}  // namespace tallyport
