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
// output on the calling thread's event loop. When the engine, its voice data or a sound output
// is missing, a voice that stays silent and says why at the first greeting.
std::unique_ptr<SpeechVoice> makeSpeechVoice();

}  // namespace tallyport
