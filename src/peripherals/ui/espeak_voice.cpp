#include "peripherals/ui/espeak_voice.h"

#include <espeak-ng/espeak_ng.h>
#include <espeak-ng/speak_lib.h>

#include <mutex>

namespace tallyport {
namespace {

std::mutex g_engineMutex;

QString statusText(espeak_ng_STATUS status) {
    char buffer[256] = {};
    espeak_ng_GetStatusCodeMessage(status, buffer, sizeof buffer);
    return QString::fromLocal8Bit(buffer);
}

// Samples arrive in pieces; a null piece ends the text.
int collect(short* wav, int count, espeak_EVENT* events) {
    auto* out = static_cast<QByteArray*>(events ? events->user_data : nullptr);
    if (wav && out && count > 0)
        out->append(reinterpret_cast<const char*>(wav), count * qsizetype(sizeof(short)));
    return 0;  // go on
}

// Loads once per process; the answer is kept, a missing voice does not get better later.
Result<int> engine() {
    static const Result<int> loaded = []() -> Result<int> {
        espeak_ng_InitializePath(nullptr);
        espeak_ng_ERROR_CONTEXT context = nullptr;
        espeak_ng_STATUS status = espeak_ng_Initialize(&context);
        espeak_ng_ClearErrorContext(&context);
        if (status != ENS_OK)
            return fail(QStringLiteral("speech engine data: ") + statusText(status));
        status = espeak_ng_InitializeOutput(ENOUTPUT_MODE_SYNCHRONOUS, 0, nullptr);
        if (status == ENS_OK) status = espeak_ng_SetVoiceByName("en");
        if (status != ENS_OK) return fail(QStringLiteral("speech engine: ") + statusText(status));
        espeak_SetSynthCallback(collect);
        return espeak_ng_GetSampleRate();
    }();
    return loaded;
}

}  // namespace

Result<void> EspeakSynthesiser::available() {
    std::lock_guard lock(g_engineMutex);
    const Result<int> rate = engine();
    if (!rate) return fail(rate.error().text);
    return {};
}

Result<Pcm> EspeakSynthesiser::synthesise(const QString& text) {
    std::lock_guard lock(g_engineMutex);
    const Result<int> rate = engine();
    if (!rate) return fail(rate.error().text);
    Pcm pcm;
    pcm.sampleRate = *rate;
    const QByteArray utf8 = text.toUtf8();
    const espeak_ng_STATUS status =
        espeak_ng_Synthesize(utf8.constData(), size_t(utf8.size()) + 1, 0, POS_CHARACTER, 0,
                             espeakCHARS_UTF8, nullptr, &pcm.samples);
    if (status != ENS_OK) return fail(QStringLiteral("speech engine: ") + statusText(status));
    return pcm;
}

}  // namespace tallyport
