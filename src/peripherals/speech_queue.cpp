#include "peripherals/speech_queue.h"

#include <QDebug>

namespace tallyport {

qint64 Pcm::durationMs() const {
    if (sampleRate <= 0) return 0;
    return static_cast<qint64>(samples.size() / 2) * 1000 / sampleRate;
}

SpeechQueue::SpeechQueue(std::unique_ptr<Synthesiser> synth, std::unique_ptr<SoundSink> sink)
    : m_synth(std::move(synth)), m_sink(std::move(sink)) {
    m_worker = std::thread([this] { run(); });
}

SpeechQueue::~SpeechQueue() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_texts.clear();
    }
    m_wake.notify_all();
    m_sink->cancel();
    m_worker.join();
}

void SpeechQueue::speak(const QStringList& texts) {
    {
        std::lock_guard lock(m_mutex);
        for (const QString& text : texts) {
            if (text.trimmed().isEmpty()) continue;
            if (m_texts.size() >= kMaxPending) {
                qWarning("speech: queue full, a greeting is dropped");
                break;
            }
            m_texts.push_back(text);
        }
    }
    m_wake.notify_one();
}

std::size_t SpeechQueue::pending() const {
    std::lock_guard lock(m_mutex);
    return m_texts.size() + (m_busy ? 1 : 0);
}

void SpeechQueue::run() {
    for (;;) {
        QString text;
        {
            std::unique_lock lock(m_mutex);
            m_busy = false;
            m_wake.wait(lock, [this] { return m_stopping || !m_texts.empty(); });
            if (m_stopping) return;
            text = m_texts.front();
            m_texts.pop_front();
            m_busy = true;
        }
        const Result<Pcm> pcm = m_synth->synthesise(text);
        if (!pcm) {
            qWarning("speech: %s", qPrintable(pcm.error().text));
            reportFailure(QStringLiteral("No spoken greeting: ") + pcm.error().text);
        } else if (!pcm->samples.isEmpty()) {
            m_sink->play(*pcm);
        }
    }
}

}  // namespace tallyport
