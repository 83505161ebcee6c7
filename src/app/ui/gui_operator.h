#pragma once

#include "base/operator.h"

class QWidget;

namespace tallyport {

// The operator at the desktop: message boxes, file dialogs, the password dialogs, a progress
// window and the wait cursor. Boxes belong to the active window, or stand alone when the
// console is hidden in the notification area.
class GuiOperator final : public Operator {
public:
    void information(const QString& text) override;
    void error(const QString& text) override;
    void errorDetail(const QString& text, const QString& detail) override;
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
    std::unique_ptr<Progress> workProgress(const QString& caption, int maximum) override;
    std::unique_ptr<WaitCursor> waitCursor() override;

private:
    static QWidget* owner();
};

}  // namespace tallyport
