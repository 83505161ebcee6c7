#include "peripherals/ui/espeak_voice.h"
#include "peripherals/ui/audio_player.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QAudioDevice>
#include <QElapsedTimer>
#include <QMediaDevices>

using namespace tallyport;

namespace {

TEST(EspeakVoice, SynthesisesAGreetingIntoMemory) {
    if (const Result<void> ready = EspeakSynthesiser::available(); !ready)
        GTEST_SKIP() << "speech engine not usable here: " << ready.error().text.toStdString();
    EspeakSynthesiser engine;
    const Result<Pcm> pcm = engine.synthesise(QStringLiteral("Good morning"));
    ASSERT_TRUE(pcm.has_value()) << pcm.error().text.toStdString();
    EXPECT_GT(pcm->sampleRate, 8000);
    // Half a second to three seconds of speech, and not silence.
    EXPECT_GT(pcm->durationMs(), 400);
    EXPECT_LT(pcm->durationMs(), 3000);
    const auto* samples = reinterpret_cast<const qint16*>(pcm->samples.constData());
    int loud = 0;
    for (qsizetype i = 0; i < pcm->samples.size() / 2; ++i) loud += std::abs(samples[i]) > 1000;
    EXPECT_GT(loud, 100);
    // A second text gets its own samples, not the first one's appended.
    const Result<Pcm> shorter = engine.synthesise(QStringLiteral("Hi"));
    ASSERT_TRUE(shorter.has_value());
    EXPECT_LT(shorter->samples.size(), pcm->samples.size());
}

// The voice as the console installs it: speaking queues and returns at once, and with or
// without an audio device every text comes to an end within its bound.
TEST(EspeakVoice, RealQueueNeverHoldsTheCaller) {
    if (const Result<void> ready = EspeakSynthesiser::available(); !ready)
        GTEST_SKIP() << "speech engine not usable here: " << ready.error().text.toStdString();
    SpeechQueue voice(std::make_unique<EspeakSynthesiser>(), std::make_unique<AudioPlayer>());
    QElapsedTimer t;
    t.start();
    voice.speak({QStringLiteral("Good morning"), QStringLiteral("ANNA")});
    EXPECT_LT(t.elapsed(), 100);
    QElapsedTimer wait;
    wait.start();
    while (voice.pending() > 0 && wait.elapsed() < 15000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(voice.pending(), 0u);
    if (QMediaDevices::defaultAudioOutput().isNull()) {
        EXPECT_LT(wait.elapsed(), 4000) << "without an audio device nothing waits for playing";
    }
}

}  // namespace
