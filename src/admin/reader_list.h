#pragma once

#include <QString>
#include <vector>

namespace tallyport {

class ReaderBank;

// An entry of a list of readers: the description shown and the port it stands for. Lists
// keep the port, so two readers described alike are still told apart.
struct ReaderEntry {
    int port = 0;
    QString desc;
    bool operator==(const ReaderEntry&) const = default;
};

// The readers in use (Enable yes), in port order.
std::vector<ReaderEntry> enabledReaders(ReaderBank& bank);

}  // namespace tallyport
