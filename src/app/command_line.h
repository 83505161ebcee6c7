#pragma once

#include <QString>
#include <QStringList>

namespace tallyport {

struct CommandLine {
    QString dataDir;  // absolute; the default folder when not given
    bool headless = false;
    bool demo = false;  // a throw-away data folder and a simulated reader
    bool help = false;
    bool version = false;
    QString error;  // not empty when the arguments are wrong
};

CommandLine parseCommandLine(const QStringList& args);  // args without the program name
QString defaultDataFolder();
QString usageText();
// True when no window system can be reached from here.
bool noDisplayAvailable();

}  // namespace tallyport
