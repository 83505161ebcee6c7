#pragma once

#include "base/operator.h"

namespace tallyport {

// An operator with nobody at a screen (a batch job, a request through the recorder): the
// command line has said it all, so every question gets the one answer the job was given, and
// no file or password is chosen. What it says, and how progress shows, is the subclass's.
class UnattendedOperator : public Operator {
public:
    explicit UnattendedOperator(bool answer) : m_answer(answer) {}

    bool quietInformation = false;  // the job prints its own lines

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
    std::unique_ptr<WaitCursor> waitCursor() override { return std::make_unique<WaitCursor>(); }

private:
    bool m_answer;
};

}  // namespace tallyport
