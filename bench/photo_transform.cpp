// Resampling a camera photo to the card size and rotating it, next to a plain copy of the
// same pixel buffer as the floor of what touching every byte costs on this machine.
#include "store/photo_transform.h"
#include "app/terminal_operator.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace tallyport;

namespace {

Picture cameraPhoto(int width, int height) {
    Picture picture(width, height);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* p = picture.row(y);
        for (int x = 0; x < width; ++x, p += 3) {
            p[0] = static_cast<std::uint8_t>(x * 5 + y);
            p[1] = static_cast<std::uint8_t>(y * 3);
            p[2] = static_cast<std::uint8_t>(x ^ y);
        }
    }
    return picture;
}

template <typename Work>
void measure(const char* what, int runs, Work work) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%-44s median %8.2f ms   min %8.2f ms   (%d runs)\n", what, ms[ms.size() / 2],
                ms.front(), runs);
}

}  // namespace

int main() {
    constexpr int kWidth = 2592, kHeight = 1944, kRuns = 15;
    const Picture photo = cameraPhoto(kWidth, kHeight);
    std::vector<std::uint8_t> copy(photo.byteCount());
    TerminalOperator op(false);  // a failure is said; nothing else is
    op.quietInformation = true;
    std::printf("picture %d x %d, %zu bytes\n", kWidth, kHeight, photo.byteCount());

    measure("plain copy of the pixel buffer", kRuns,
            [&] { std::memcpy(copy.data(), photo.data(), photo.byteCount()); });
    Picture card(240, 320);
    measure("Resample to 240 x 320", kRuns, [&] { Resample(photo, card); });
    Picture turned = photo;
    measure("RotatePicture (quarter turn)", kRuns, [&] { RotatePicture(op, turned); });
    // Keeps the results alive so no work is optimised away.
    std::printf("check %u %u %u\n", copy[12345], card.data()[777], turned.data()[4242]);
    return 0;
}
