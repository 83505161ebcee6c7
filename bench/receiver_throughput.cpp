// Receiver throughput: MB/s of a stream of valid event frames mixed with stray bytes, fed one
// byte at a time as the reader client does, with every completed frame decoded.
#include "readers/protocol.h"
#include "readers/receiver.h"

#include <QByteArray>
#include <chrono>
#include <cstdio>
#include <random>

using namespace tallyport::readers;

namespace {

QByteArray mixedStream(qsizetype size) {
    const QByteArray frames[] = {
        QByteArray::fromHex("F506000000303997FA"),
        QByteArray::fromHex("F50B8133F06E0D000000303978FA"),
        QByteArray::fromHex("F50C000D0133F06E0D0000003039EBFA"),
        QByteArray::fromHex("F50243BDFA"),
        QByteArray::fromHex("F504000CF0FA"),
    };
    std::mt19937 rng(7);
    QByteArray out;
    out.reserve(size + 64);
    while (out.size() < size) {
        if (rng() % 4 == 0) {
            for (int n = int(rng() % 24); n > 0; --n) out.append(char(rng()));  // garbage
        } else {
            out.append(frames[rng() % std::size(frames)]);
        }
    }
    return out;
}

struct Run {
    double seconds;
    long frames;
};

// With `decode`, every frame is also read as an event (stamps become local date-times).
Run feedOnce(const QByteArray& stream, bool decode) {
    FrameReceiver rx;
    long frames = 0;
    long cards = 0;
    const auto start = std::chrono::steady_clock::now();
    for (char c : stream) {
        if (!rx.push(quint8(c), false)) continue;
        ++frames;
        if (decode && std::holds_alternative<CardRead>(decodeEventFrame(rx))) ++cards;
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (decode && cards == 0) std::puts("no card decoded: the stream is wrong");
    return {took.count(), frames};
}

Run best(const QByteArray& stream, bool decode) {
    Run fastest{1e9, 0};
    for (int i = 0; i < 5; ++i) {
        const Run r = feedOnce(stream, decode);
        if (r.seconds < fastest.seconds) fastest = r;
    }
    return fastest;
}

}  // namespace

int main() {
    const QByteArray stream = mixedStream(32 << 20);
    const double mb = double(stream.size()) / (1 << 20);
    const Run framing = best(stream, false);
    const Run decoding = best(stream, true);
    std::printf(
        "receiver_throughput: %.0f MB/s framing only (%.0f MB of frames and stray bytes, "
        "%ld frames, best of 5)\n",
        mb / framing.seconds, mb, framing.frames);
    std::printf(
        "receiver_throughput_decoded: %.0f MB/s, %.2f M frames/s with every frame "
        "decoded as an event\n",
        mb / decoding.seconds, double(decoding.frames) / decoding.seconds / 1e6);
    return 0;
}
