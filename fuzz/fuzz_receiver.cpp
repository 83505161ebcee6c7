// Random bytes into the receiver, in and out of reply mode, with every decoder run on what it
// completes. A write past the frame buffer or a frame longer than it is a crash here.
#include "readers/protocol.h"
#include "readers/receiver.h"

#include <cstdlib>

using namespace tallyport::readers;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte says, bit by bit, whether a reply is awaited for each frame in turn.
    const quint8 modes = data[0];
    int frames = 0;
    FrameReceiver rx;
    for (size_t i = 1; i < size; ++i) {
        const bool replyMode = (modes >> (frames % 8)) & 1;
        if (!rx.push(data[i], replyMode)) continue;
        ++frames;
        if (rx.frameLength() > FrameReceiver::kBufferSize) std::abort();
        if (!rx.frameIsReply()) {
            (void)decodeEventFrame(rx);
            continue;
        }
        const auto& fb = rx.buffer();
        (void)DecodeLogRecord(std::span<const quint8, 8>(fb.data() + 6, 8));
        (void)DecodeAccessEntry(std::span<const quint8, 22>(fb.data() + 6, 22));
    }
    return 0;
}
