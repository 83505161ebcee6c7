#include "admin/manager_settings.h"

#include "store/data_module.h"
#include "store/setting_names.h"
#include "store/settings.h"

namespace tallyport {

int defaultReaderIndex(int entries) {
    const int chosen = ReadSettingInt(setting::OL_DEF_PORT, 0);
    return chosen >= 0 && chosen < entries ? chosen : 0;
}

void LoadManagerSettings(ManagerForm& form, bool withLines, DataModule& data) {
    if (withLines) {
        form.line1 = ReadSettingText(setting::LogoLine1, kDefaultLogoLine1);
        form.line2 = ReadSettingText(setting::LogoLine2, kDefaultLogoLine2);
    }
    form.pin = data.GetKeyInt(kInPinKey);
    for (int row = 1; row <= kTimetableRows; ++row) {
        TimetableEntry& e = form.timetable[size_t(row - 1)];
        e.mode = ReadSettingInt(setting::OL_MODE(row), 0);
        e.time = ReadSettingTime(setting::OL_TIME(row), QTime(0, 0));
    }
    form.clearAfter = ReadSettingBool(setting::OL_ClearAfter, true);
    form.setClock = ReadSettingBool(setting::OL_SET_CLOCK, true);
    form.options = optionsFromByte(quint8(ReadSettingInt(setting::OL_OPTIONS, 0)));
    form.autoDownload = autoDownloadEnabled();
}

bool SaveManagerSettings(ManagerForm& form, std::optional<int> listIndex, DataModule& data) {
    bool ok = true;
    if (listIndex) ok &= WriteSettingInt(setting::OL_DEF_PORT, *listIndex);
    ok &= WriteSettingInt(setting::OL_OPTIONS, OptionsByte(form.options));
    form.line1 = padLcd(form.line1);
    form.line2 = padLcd(form.line2);
    ok &= WriteSettingText(setting::LogoLine1, form.line1);
    ok &= WriteSettingText(setting::LogoLine2, form.line2);
    for (int row = 1; row <= kTimetableRows; ++row) {
        const TimetableEntry& e = form.timetable[size_t(row - 1)];
        ok &= WriteSettingInt(setting::OL_MODE(row), e.mode);
        ok &= WriteSettingTime(setting::OL_TIME(row), e.time);
    }
    ok &= WriteSettingBool(setting::OL_ClearAfter, form.clearAfter);
    ok &= WriteSettingBool(setting::OL_SET_CLOCK, form.setClock);
    ok &= WriteSettingBool(setting::OL_AutoDownload, form.autoDownload);
    return data.SetKeyInt(kInPinKey, form.pin) && ok;
}

bool autoDownloadEnabled() {
    return ReadSettingBool(setting::OL_AutoDownload, true);
}

}  // namespace tallyport
