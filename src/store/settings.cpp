#include "store/settings.h"

#include "store/messages.h"

#include <QSettings>
#include <QStandardPaths>
#include <optional>

namespace tallyport {
namespace {

const QString kSection = QStringLiteral("TallyportTime");

QString filePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/ZOLT/TallyportTime.conf");
}

// A fresh handle per access: the settings are never cached between reads.
std::unique_ptr<QSettings> open() {
    auto s = std::make_unique<QSettings>(filePath(), QSettings::IniFormat);
    s->beginGroup(kSection);
    return s;
}

std::optional<QString> readRaw(const QString& name) {
    auto s = open();
    if (s->status() != QSettings::NoError) return std::nullopt;
    const QVariant v = s->value(name);
    if (!v.isValid()) return std::nullopt;
    // An unquoted comma in a hand-edited file makes the INI reader split the text.
    if (v.typeId() == QMetaType::QStringList) return v.toStringList().join(QLatin1Char(','));
    return v.toString();
}

SettingsFailureReporter& reporter() {
    static SettingsFailureReporter r;
    return r;
}
bool g_failureTold = false;
thread_local int g_failuresAnswered = 0;  // SettingsFailuresAnswered alive on this thread

bool writeRaw(const QString& name, const QString& text) {
    auto s = open();
    s->setValue(name, text);
    s->sync();
    const bool ok = s->status() == QSettings::NoError;
    if (ok) {
        g_failureTold = false;
    } else if (!g_failureTold && reporter() && g_failuresAnswered == 0) {
        g_failureTold = true;
        reporter()(msg::SettingsNotSaved,
                   QStringLiteral("\"%1\" could not be written to %2.").arg(name, filePath()));
    }
    return ok;
}

std::optional<int> parseDecimal(const QString& text) {
    bool ok = false;
    const int v = text.trimmed().toInt(&ok, 10);
    if (!ok) return std::nullopt;
    return v;
}

}  // namespace

void setSettingsFailureReporter(SettingsFailureReporter r) {
    reporter() = std::move(r);
    g_failureTold = false;
}

QString settingsFilePath() {
    return filePath();
}

SettingsFailuresAnswered::SettingsFailuresAnswered() {
    ++g_failuresAnswered;
}

SettingsFailuresAnswered::~SettingsFailuresAnswered() {
    --g_failuresAnswered;
}

int ReadSettingInt(const QString& name, int def) {
    const auto raw = readRaw(name);
    if (!raw) return def;
    return parseDecimal(*raw).value_or(def);
}

bool WriteSettingInt(const QString& name, int value) {
    return writeRaw(name, QString::number(value));
}

// A yes/no is an integer text: any non-zero integer is yes.
bool ReadSettingBool(const QString& name, bool def) {
    return ReadSettingInt(name, def ? 1 : 0) != 0;
}

bool WriteSettingBool(const QString& name, bool value) {
    return writeRaw(name, value ? QStringLiteral("1") : QStringLiteral("0"));
}

QString ReadSettingText(const QString& name, const QString& def) {
    return readRaw(name).value_or(def);
}

bool WriteSettingText(const QString& name, const QString& value) {
    return writeRaw(name, value);
}

QString timeSettingText(const QTime& t) {
    return t.toString(QStringLiteral("H:mm:ss"));
}

QTime parseTimeSetting(const QString& text) {
    const QStringList parts = text.trimmed().split(QLatin1Char(':'));
    if (parts.size() < 2 || parts.size() > 3) return {};
    int hms[3] = {0, 0, 0};
    for (int i = 0; i < parts.size(); ++i) {
        bool ok = false;
        hms[i] = parts[i].toInt(&ok, 10);
        if (!ok || parts[i].isEmpty()) return {};
    }
    return QTime(hms[0], hms[1], hms[2]);  // out-of-range parts give an invalid time
}

QTime ReadSettingTime(const QString& name, const QTime& def) {
    const auto raw = readRaw(name);
    if (!raw || raw->isEmpty()) return def;
    const QTime t = parseTimeSetting(*raw);
    return t.isValid() ? t : def;
}

bool WriteSettingTime(const QString& name, const QTime& value) {
    return writeRaw(name, timeSettingText(value));
}

}  // namespace tallyport
