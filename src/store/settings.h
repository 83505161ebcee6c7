#pragma once

#include <QString>
#include <QTime>
#include <functional>

namespace tallyport {

// The per-user settings store: "$XDG_CONFIG_HOME/ZOLT/TallyportTime.conf", section
// [TallyportTime], one text value per name. Every access opens the file, does one thing and
// closes it again, so a value written anywhere is seen by the next read everywhere.
// Reads never fail: an absent or unreadable value is the caller's default.
// Writes answer false when the value could not be stored; the stored value stays as it was.

bool ReadSettingBool(const QString& name, bool def);
bool WriteSettingBool(const QString& name, bool value);
int ReadSettingInt(const QString& name, int def);
bool WriteSettingInt(const QString& name, int value);
QString ReadSettingText(const QString& name, const QString& def);
bool WriteSettingText(const QString& name, const QString& value);
QTime ReadSettingTime(const QString& name, const QTime& def);
bool WriteSettingTime(const QString& name, const QTime& value);

// The text a time of day is stored as, and its reading ("9:0:0" and "09:00:00" alike);
// an invalid QTime when the text is no time of day.
QString timeSettingText(const QTime& t);
QTime parseTimeSetting(const QString& text);

// Where the store lives (for messages and tests).
QString settingsFilePath();

// Who is told when a value cannot be stored (the console's operator): the fixed text and the
// reason. Told once until a write succeeds again, so a store that cannot be written does not
// answer every remembered choice of a closing window with a box of its own. Empty: nobody.
using SettingsFailureReporter = std::function<void(const QString& text, const QString& reason)>;
void setSettingsFailureReporter(SettingsFailureReporter reporter);

// While one lives on this thread, a value that cannot be stored is not told to the reporter:
// for a save that answers its own failure to whoever asked for it, who would otherwise hear
// of it twice.
class SettingsFailuresAnswered {
public:
    SettingsFailuresAnswered();
    ~SettingsFailuresAnswered();
    SettingsFailuresAnswered(const SettingsFailuresAnswered&) = delete;
    SettingsFailuresAnswered& operator=(const SettingsFailuresAnswered&) = delete;
};

}  // namespace tallyport
