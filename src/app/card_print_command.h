#pragma once

#include "reports/card_print.h"
#include "reports/member_list.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace tallyport {

// `tallyport cards --pdf FILE [options]` and `tallyport member-list --pdf FILE [options]`: the
// card sheet and the member list of the Card Manager menu as PDF files, without a window and
// without the instance lock (the holders are only read).
struct HolderPrintRequest {
    bool cards = true;  // else the member list
    QString dataDir;
    QString pdfFile;
    std::optional<StaffScope> scope;  // none given: what the menu's dialog opens on
    QString groupName;                // for the group scope; empty: the first group
    std::optional<CardStyle> style;   // none given: the remembered style
    bool help = false;
    QString error;  // not empty when the arguments are wrong
};

// True for "cards" and "member-list".
bool isHolderPrintCommand(const char* name);
// Parses the arguments after the command's name.
HolderPrintRequest parseHolderPrintArguments(bool cards, const QStringList& args);
QString holderPrintUsageText(bool cards);

// Writes the pages; supplied by the program that can draw them.
struct HolderPdfWriters {
    std::function<Result<void>(const CardPrintJob&, const QString& path)> cards;
    std::function<Result<void>(const std::vector<MemberRow>&, const QString& path)> memberList;
};

// True when the arguments ask for --pdf: the caller then provides a GUI application first.
bool holderPrintWantsPdf(int argc, char** argv);

// Runs the command named by argv[1]; returns the exit code. Uses the running application
// object if there is one.
int runHolderPrintCommand(int argc, char** argv, const HolderPdfWriters& writers);

}  // namespace tallyport
