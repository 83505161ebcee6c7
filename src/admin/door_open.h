#pragma once

#include "admin/reader_list.h"

#include <QString>
#include <optional>
#include <vector>

namespace tallyport {

class ReaderBank;

// The door open button of the main window: whether it shows, and which reader it names.
inline const QString kDoorCaptionAtStart = QStringLiteral(" -> OPEN");
inline const QString kDoorCaptionAfterSetup = QStringLiteral("->OPEN");

bool doorButtonShown();  // "DoorOpenEnable", no
// "DoorOpenPortNo", 1; a stored value outside 1..8 serves port 1.
int doorPort();
// The description of the door's reader followed by " -> OPEN" at start-up, "->OPEN" after the
// setup dialog.
QString doorCaption(ReaderBank& bank, bool afterSetup);

// The door setup dialog's list: the readers in use, and the entry of the stored port (read
// with the default 0), or entry 0.
struct DoorChoice {
    bool enabled = false;
    std::vector<ReaderEntry> readers;
    int selected = 0;
};
DoorChoice loadDoorChoice(ReaderBank& bank);
// OK: "DoorOpenEnable", and the chosen entry's port when one is chosen.
bool storeDoorChoice(bool enabled, const std::optional<ReaderEntry>& chosen);

}  // namespace tallyport
