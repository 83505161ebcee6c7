#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

namespace tallyport {

// A progress window: caption, one bar from 0 to a maximum. Destroying it closes the window,
// so an operation that fails half-way still takes it down.
class Progress {
public:
    virtual ~Progress() = default;
    virtual void step() = 0;  // advances the bar by one
    virtual void setPosition(int value) = 0;
    // True once the operator asked to stop (Cancel, or the window closed). Only a work
    // progress window (Operator::workProgress) can be cancelled.
    virtual bool cancelRequested() const { return false; }
};

// The wait cursor while the object lives; the previous cursor comes back afterwards.
class WaitCursor {
public:
    virtual ~WaitCursor() = default;
};

// Everything the system says to or asks of a person. The desktop answers with message boxes
// and file dialogs, the headless console logs and gives the safe answer, tests script it.
class Operator {
public:
    virtual ~Operator() = default;

    virtual void information(const QString& text) = 0;
    virtual void error(const QString& text) = 0;
    // An error whose fixed text is followed by the reason the system was given (the database
    // engine's own words, say); the desktop shows the reason under the text.
    virtual void errorDetail(const QString& text, const QString& detail) {
        error(detail.isEmpty() ? text : text + QLatin1Char('\n') + detail);
    }
    virtual void warning(const QString& text) = 0;
    // The general error box: an unexpected failure that ended the current action.
    virtual void generalError(const QString& text) = 0;
    // OK / Cancel; true only for OK.
    virtual bool confirm(const QString& text) = 0;
    // Yes / No; true only for Yes.
    virtual bool askYesNo(const QString& text) = 0;

    virtual std::optional<QString> chooseOpenFile(const QString& caption, const QString& folder,
                                                  const QString& filter) = 0;
    virtual std::optional<QString> chooseSaveFile(const QString& caption, const QString& suggested,
                                                  const QString& filter) = 0;

    // Asks for a password until `accept` takes one (it shows its own refusal) or the person
    // cancels. True when accepted.
    virtual bool askPassword(const QString& caption,
                             const std::function<bool(const QString&)>& accept) = 0;
    // Asks for a new password twice; `accept` checks the pair and shows its own refusal.
    // The accepted password, or nothing when cancelled.
    virtual std::optional<QString> askNewPassword(
        const std::function<bool(const QString&, const QString&)>& accept) = 0;

    virtual std::unique_ptr<Progress> progress(const QString& caption, int maximum) = 0;
    // The progress window of work that runs on a worker while the event loop goes on
    // (base/long_work.h): it offers Cancel and keeps the operator out of the other windows
    // until the work ends. An operator without such a window shows its plain progress.
    virtual std::unique_ptr<Progress> workProgress(const QString& caption, int maximum) {
        return progress(caption, maximum);
    }
    virtual std::unique_ptr<WaitCursor> waitCursor() = 0;
};

}  // namespace tallyport
