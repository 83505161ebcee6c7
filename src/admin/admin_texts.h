#pragma once

#include <QString>

// The texts reader administration shows, each written once. The kind of box is beside each.
namespace tallyport::admin_text {

inline const QString NoResponse = QStringLiteral("No response from the reader.");       // error
inline const QString NoPortEnabled = QStringLiteral("No communication port enabled.");  // error
inline const QString SettingsLoaded =
    QStringLiteral("Settings are loaded successfully.");  // information
inline const QString SettingsSent =
    QStringLiteral("Settings are sent successfully.");         // information
inline const QString ClockSet = QStringLiteral("Clock set.");  // information
inline const QString LinkNotReliable =
    QStringLiteral("The data link is not reliable, please try later.");              // error
inline const QString NoRecordToDownload = QStringLiteral("No record to download.");  // information
inline const QString ConfirmClear = QStringLiteral(
    "The attendance logs cannot be restored after clearing. Are you sure?");   // Yes / No
inline const QString AllCleared = QStringLiteral("All records are cleared.");  // information
inline const QString NoRecordToClear = QStringLiteral("No record to clear.");  // information
inline const QString Uploaded =
    QStringLiteral("Card Information uploaded successfully.");  // information
inline const QString PinsSent =
    QStringLiteral("System PINs are sent successfully.");  // information
inline const QString ConfirmScan = QStringLiteral(
    "This action may take several minutes. Are you sure to proceed?");  // OK / Cancel
inline const QString ReaderPortRange = QStringLiteral("A reader's number is 1 to 8.");  // error
inline const QString ReaderModeRange = QStringLiteral("A reader's mode is clock, in or out.");
inline const QString EnableNeedsAddress =
    QStringLiteral("Reader %1 cannot be enabled without an address (host and port 1 to 65535).");
inline const QString LinkConnected = QStringLiteral("connected");
inline const QString LinkDisabled = QStringLiteral("not enabled");
inline const QString LinkRetrying = QStringLiteral("retrying in %1 s");
inline const QString LinkDown = QStringLiteral("not connected");
inline const QString ScanSummary =
    QStringLiteral("%1 readers found, %2 not answering.");  // information
inline QString DownloadingCaption(int count) {
    return QStringLiteral("Downloading Logs (%1 records)").arg(count);  // progress window
}
inline const QString UploadingCaption = QStringLiteral("Uploading Access Table");  // progress
// After a download that was to clear the reader; warning, under the summary line.
inline QString NotClearedText(int read, int announced) {
    return QStringLiteral("%1 of %2 records read; the reader was not cleared.")
        .arg(read)
        .arg(announced);
}
// An upload that stopped part-way; warning.
inline QString PartialTableText(int sent, int holders) {
    return QStringLiteral(
               "The reader holds a partial access table (%1 of %2 card holders). Upload it "
               "again.")
        .arg(sent)
        .arg(holders);
}

// Steps shown in the Access Manager's status field.
namespace step {
inline const QString Locking = QStringLiteral("Locking");
inline const QString Unlocking = QStringLiteral("UnLocking");
inline const QString GetClock = QStringLiteral("Get Clock");
inline const QString SetClock = QStringLiteral("Set Clock");
inline const QString GetCapacity = QStringLiteral("Get Capacity");
inline const QString Clearing = QStringLiteral("Clearing");
inline const QString GetLine1 = QStringLiteral("Get Line 1");
inline const QString GetLine2 = QStringLiteral("Get Line 2");
inline const QString GetOptions = QStringLiteral("Get Options");
inline const QString GetMode = QStringLiteral("Get Mode");
inline const QString GetTimetable = QStringLiteral("Get Timetable");
inline const QString SetLine1 = QStringLiteral("Set Line 1");
inline const QString SetLine2 = QStringLiteral("Set Line 2");
inline const QString SetOptions = QStringLiteral("Set Options");
inline const QString SetMode = QStringLiteral("Set Mode");
inline const QString SetTimetable = QStringLiteral("Set Timetable");
inline const QString SetLockTime = QStringLiteral("Set Lock Time");
inline const QString SetPin = QStringLiteral("Set PIN");
inline const QString PutAccessPin = QStringLiteral("Put Access PIN");
inline const QString PutControlPin = QStringLiteral("Put Control PIN");
inline const QString Downloading = QStringLiteral("Downloading");
inline const QString Uploading = QStringLiteral("Uploading");
inline const QString Waiting = QStringLiteral("Waiting for the reader");
}  // namespace step

}  // namespace tallyport::admin_text
