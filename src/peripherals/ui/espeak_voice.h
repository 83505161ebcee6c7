#pragma once

#include "peripherals/speech_queue.h"

namespace tallyport {

// The speech engine's library, run in memory: no audio device is opened and no speech
// service is started (one without an audio device can hang the next process that asks it).
// The library keeps global state, so every instance shares one engine behind a lock.
class EspeakSynthesiser final : public Synthesiser {
public:
    // Whether the engine and its voice data load; the text says why not.
    static Result<void> available();
    Result<Pcm> synthesise(const QString& text) override;
};

}  // namespace tallyport
