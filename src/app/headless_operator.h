#pragma once

#include "base/operator.h"

#include <QTextStream>

namespace tallyport {

// The operator of a console without windows: every text goes to standard error with its kind,
// and every question gets the safe answer (Cancel, No, no file, no password).
class HeadlessOperator final : public Operator {
public:
    void information(const QString& text) override;
    void error(const QString& text) override;
    void warning(const QString& text) override;
    void generalError(const QString& text) override;
    bool confirm(const QString& text) override;
    bool askYesNo(const QString& text) override;
    std::optional<QString> chooseOpenFile(const QString& caption, const QString& folder,
                                          const QString& filter) override;
    std::optional<QString> chooseSaveFile(const QString& caption, const QString& suggested,
                                          const QString& filter) override;
    bool askPassword(const QString& caption,
                     const std::function<bool(const QString&)>& accept) override;
    std::optional<QString> askNewPassword(
        const std::function<bool(const QString&, const QString&)>& accept) override;
    std::unique_ptr<Progress> progress(const QString& caption, int maximum) override;
    std::unique_ptr<WaitCursor> waitCursor() override;

    static void log(const QString& kind, const QString& text);
};

}  // namespace tallyport
