#pragma once
// What the web benchmarks' own HTTP clients share.

#include <strings.h>
#include <cstdlib>
#include <string>

namespace tallyport::bench {

// A whole answer at the front of `in`: its length and status, or 0 while incomplete.
inline size_t completeAnswer(const std::string& in, int& status) {
    const size_t head = in.find("\r\n\r\n");
    if (head == std::string::npos) return 0;
    status = std::atoi(in.c_str() + 9);
    size_t length = 0;
    for (size_t at = 0; at < head;) {
        const size_t eol = in.find("\r\n", at);
        if (strncasecmp(in.c_str() + at, "content-length:", 15) == 0)
            length = std::strtoul(in.c_str() + at + 15, nullptr, 10);
        at = eol + 2;
    }
    return in.size() >= head + 4 + length ? head + 4 + length : 0;
}

}  // namespace tallyport::bench
