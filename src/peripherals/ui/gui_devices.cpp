#include "peripherals/ui/gui_devices.h"

#include "peripherals/ui/audio_player.h"
#include "peripherals/ui/espeak_voice.h"

#include <QApplication>

namespace tallyport {

void GuiBeeper::beep() {
    QApplication::beep();
}

std::unique_ptr<SpeechVoice> makeSpeechVoice() {
    const Result<void> ready = EspeakSynthesiser::available();
    if (!ready) {
        qWarning("No spoken greetings: %s", qPrintable(ready.error().text));
        return std::make_unique<UnavailableVoice>(QStringLiteral("No spoken greeting: ") +
                                                  ready.error().text);
    }
    return std::make_unique<SpeechQueue>(std::make_unique<EspeakSynthesiser>(),
                                         std::make_unique<AudioPlayer>());
}

}  // namespace tallyport
