#include "admin/reader_list.h"

#include "readers/reader_bank.h"

namespace tallyport {

std::vector<ReaderEntry> enabledReaders(ReaderBank& bank) {
    std::vector<ReaderEntry> out;
    for (int port = 1; port <= 8; ++port)
        if (bank.reader(port).Enable()) out.push_back({port, bank.reader(port).Desc()});
    return out;
}

}  // namespace tallyport
