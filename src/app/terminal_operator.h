#pragma once

#include "app/unattended_operator.h"

#include <cstdio>

namespace tallyport {

// TEXT in UTF-8 with one line break at its end, flushed at once.
void printLine(std::FILE* to, const QString& text);

// The operator of a batch job on a terminal: information on standard output (unless the job
// prints its own lines), everything else on standard error, each text ending in one line
// break. The command line has said it all: every question gets the one answer the job was
// given, and no file or password is chosen.
class TerminalOperator final : public UnattendedOperator {
public:
    using UnattendedOperator::UnattendedOperator;

    void information(const QString& text) override;
    void error(const QString& text) override;
    void warning(const QString& text) override;
    void generalError(const QString& text) override;
    std::unique_ptr<Progress> progress(const QString&, int) override;
};

}  // namespace tallyport
