#pragma once

#include <QString>
#include <QStringList>

namespace tallyport {

// `tallyport holder ACTION`: card holders registered, listed and removed without a screen,
// with the checks of the card editor.
enum class HolderAction { List, Add, Remove, Import };

struct HolderRequest {
    HolderAction action = HolderAction::List;
    int cardNo = 0;
    QString name, group, file;
    bool json = false;
    bool yes = false;
    QString dataDir;
    bool help = false;
    QString error;  // not empty when the arguments are wrong
};

HolderRequest parseHolderArguments(const QStringList& args);  // the words after "holder"
QString holderUsageText();
// Exit codes as every sub-command's: 0 done, 1 failed, 2 bad usage, 3 another process holds
// the data folder (the changing actions only).
int runHolderCommand(int argc, char** argv);

}  // namespace tallyport
