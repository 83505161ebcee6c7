#pragma once

#include "base/operator.h"

#include <cstdio>

namespace tallyport {

// TEXT in UTF-8 with one line break at its end, flushed at once.
void printLine(std::FILE* to, const QString& text);

// The operator of a batch job on a terminal: information on standard output (unless the job
// prints its own lines), everything else on standard error, each text ending in one line
// break. The command line has said it all: every question gets the one answer the job was
// given, and no file or password is chosen.
class TerminalOperator final : public Operator {
public:
    explicit TerminalOperator(bool answer) : m_answer(answer) {}

    bool quietInformation = false;

    void information(const QString& text) override;
    void error(const QString& text) override;
    void warning(const QString& text) override;
    void generalError(const QString& text) override;
    bool confirm(const QString&) override { return m_answer; }
    bool askYesNo(const QString&) override { return m_answer; }
    std::optional<QString> chooseOpenFile(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    std::optional<QString> chooseSaveFile(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    bool askPassword(const QString&, const std::function<bool(const QString&)>&) override {
        return false;
    }
    std::optional<QString> askNewPassword(
        const std::function<bool(const QString&, const QString&)>&) override {
        return std::nullopt;
    }
    std::unique_ptr<Progress> progress(const QString&, int) override;
    std::unique_ptr<WaitCursor> waitCursor() override { return std::make_unique<WaitCursor>(); }

private:
    bool m_answer;
};

}  // namespace tallyport
