#include "peripherals/ui/audio_player.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QMediaDevices>
#include <chrono>
#include <utility>

namespace tallyport {

// The worker's side of one text: done when played, refused or abandoned.
struct AudioPlayer::Wait {
    std::mutex mutex;
    std::condition_variable cv;
    bool done = false;
    void signal() {
        {
            std::lock_guard lock(mutex);
            done = true;
        }
        cv.notify_all();
    }
};

AudioPlayer::AudioPlayer(QObject* parent) : QObject(parent) {}

AudioPlayer::~AudioPlayer() {
    cancel();
    finish();
}

void AudioPlayer::play(const Pcm& pcm) {
    auto wait = std::make_shared<Wait>();
    {
        std::lock_guard lock(m_mutex);
        if (m_cancelled) return;
        m_waiting = wait;
    }
    QMetaObject::invokeMethod(
        this, [this, pcm, wait] { start(pcm, wait); }, Qt::QueuedConnection);
    // A device that never reports the end must not hold the voice for good.
    const auto bound = std::chrono::milliseconds(pcm.durationMs() + 2000);
    std::unique_lock lock(wait->mutex);
    wait->cv.wait_for(lock, bound, [&] { return wait->done; });
}

void AudioPlayer::cancel() {
    std::shared_ptr<Wait> wait;
    {
        std::lock_guard lock(m_mutex);
        m_cancelled = true;
        wait = m_waiting;
    }
    if (wait) wait->signal();
}

void AudioPlayer::start(const Pcm& pcm, std::shared_ptr<Wait> wait) {
    finish();  // a text abandoned after its bound makes way for the next
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        wait->signal();
        return;
    }
    QAudioFormat format;
    format.setSampleRate(pcm.sampleRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    m_current = std::move(wait);
    m_buffer = new QBuffer(this);
    m_buffer->setData(pcm.samples);
    m_buffer->open(QIODevice::ReadOnly);
    m_sink = new QAudioSink(device, format, this);
    connect(m_sink, &QAudioSink::stateChanged, this, [this](QAudio::State state) {
        if (state == QAudio::IdleState || state == QAudio::StoppedState) finish();
    });
    m_sink->start(m_buffer);
}

void AudioPlayer::finish() {
    if (m_sink) {
        m_sink->disconnect(this);
        m_sink->stop();
        m_sink->deleteLater();
        m_sink = nullptr;
    }
    if (m_buffer) {
        m_buffer->deleteLater();
        m_buffer = nullptr;
    }
    if (m_current) std::exchange(m_current, nullptr)->signal();
}

}  // namespace tallyport
