#include "admin/door_open.h"

#include "readers/reader_bank.h"
#include "store/setting_names.h"
#include "store/settings.h"

namespace tallyport {

bool doorButtonShown() {
    return ReadSettingBool(setting::DoorOpenEnable, false);
}

int doorPort() {
    const int port = ReadSettingInt(setting::DoorOpenPortNo, 1);
    return ReaderBank::validPort(port) ? port : 1;
}

QString doorCaption(ReaderBank& bank, bool afterSetup) {
    return bank.reader(doorPort()).Desc() +
           (afterSetup ? kDoorCaptionAfterSetup : kDoorCaptionAtStart);
}

DoorChoice loadDoorChoice(ReaderBank& bank) {
    DoorChoice c{doorButtonShown(), enabledReaders(bank), 0};
    const int port = ReadSettingInt(setting::DoorOpenPortNo, 0);
    for (size_t i = 0; i < c.readers.size(); ++i)
        if (c.readers[i].port == port) c.selected = int(i);
    return c;
}

bool storeDoorChoice(bool enabled, const std::optional<ReaderEntry>& chosen) {
    bool ok = WriteSettingBool(setting::DoorOpenEnable, enabled);
    if (chosen && ReaderBank::validPort(chosen->port))
        ok &= WriteSettingInt(setting::DoorOpenPortNo, chosen->port);
    return ok;
}

}  // namespace tallyport
