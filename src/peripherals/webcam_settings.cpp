#include "peripherals/webcam_settings.h"

#include "store/setting_names.h"
#include "store/settings.h"

namespace tallyport {

void storeWebcamHidden(bool hidden) {
    if (hidden) WriteSettingText(setting::CamSource, QString());
    WriteSettingBool(setting::CamEnable, !hidden);
}

bool webcamEnabled() {
    return ReadSettingBool(setting::CamEnable, false);
}

}  // namespace tallyport
