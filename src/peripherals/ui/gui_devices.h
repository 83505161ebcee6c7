#pragma once

#include "peripherals/peripherals.h"

#include <memory>

namespace tallyport {

// The desktop's beep on a card read.
class GuiBeeper final : public Beeper {
public:
    void beep() override;
};

// The spoken greetings: the speech engine in memory, played through the default audio
// output on the calling thread's event loop. Null, with a warning, when the engine or its
// voice data is missing; the console then stays silent.
std::unique_ptr<SpeechVoice> makeSpeechVoice();

}  // namespace tallyport
