#pragma once

#include "admin/device_commands.h"

#include <QDateTime>
#include <QString>
#include <optional>

namespace tallyport {

class DataModule;

inline const QString kDefaultLogoLine1 = QStringLiteral("ZOLT INTL CO LTD");
inline const QString kDefaultLogoLine2 = QStringLiteral(" RFID Solutions ");
inline const QString kInPinKey = QStringLiteral("INPIN");
inline const QString kMasterPinKey = QStringLiteral("MASTERPIN");
inline const QString kControlPinKey = QStringLiteral("CONTROLPIN");

// What the Access Manager's controls hold: the settings a workflow reads from or writes to a
// reader, and the choices of the dialog.
struct ManagerForm {
    QString line1 = kDefaultLogoLine1;
    QString line2 = kDefaultLogoLine2;
    int pin = 0;  // of the PIN group, kept under "INPIN"
    ReaderOptions options;
    Timetable timetable;
    bool clearAfter = true;
    bool setClock = true;
    bool autoDownload = true;
    QDateTime clock;  // the reader's, as Get read it
};

// The list entry chosen last time ("OL_DEF_PORT") when the list has that many entries, else 0.
int defaultReaderIndex(int entries);
// The settings (and "INPIN") into the form; the display lines only `withLines`.
void LoadManagerSettings(ManagerForm& form, bool withLines, DataModule& data);
// The form into the settings and "INPIN"; the display lines padded or cut to 16 characters
// first, in the form too. The list index only when an entry is chosen. False when something
// could not be stored (already said).
bool SaveManagerSettings(ManagerForm& form, std::optional<int> listIndex, DataModule& data);

// "OL_AutoDownload": download a reader's stored records on its own after it connects.
bool autoDownloadEnabled();

}  // namespace tallyport
