#include "peripherals/ui/gui_devices.h"

#include "peripherals/ui/audio_player.h"
#include "peripherals/ui/espeak_voice.h"

#include <QApplication>
#include <QAudioDevice>
#include <QMediaDevices>

namespace tallyport {
namespace {

const QString kNoSoundDevice = QStringLiteral("the machine has no sound output device.");

}  // namespace

void GuiBeeper::beep() {
    QApplication::beep();
}

std::unique_ptr<SpeechVoice> makeSpeechVoice() {
    // Either way the first greeting says why, once, through the operator: a line here as well
    // would say it twice, and also when greetings are off.
    const Result<void> ready = EspeakSynthesiser::available();
    if (!ready)
        return std::make_unique<UnavailableVoice>(QStringLiteral("No spoken greeting: ") +
                                                  ready.error().text);
    // Without a sound device (a service with PrivateDevices=, a machine without one) nothing
    // is synthesised at all.
    if (QMediaDevices::audioOutputs().isEmpty())
        return std::make_unique<UnavailableVoice>(QStringLiteral("No spoken greeting: ") +
                                                  kNoSoundDevice);
    return std::make_unique<SpeechQueue>(std::make_unique<EspeakSynthesiser>(),
                                         std::make_unique<AudioPlayer>());
}

}  // namespace tallyport
