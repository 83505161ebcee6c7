#pragma once

#include <QDialog>
#include <functional>

class QDialogButtonBox;
class QLineEdit;

namespace tallyport {

// Asks for the operator password. OK hands the typed text to the accept check; a refused
// text stays, selected and focused, for the next try. The check (and its message) belongs to
// the caller.
class PasswordDialog : public QDialog {
    Q_OBJECT
public:
    explicit PasswordDialog(QWidget* parent = nullptr);

    QString password() const;
    void setPassword(const QString& text);
    void setCaption(const QString& caption) { setWindowTitle(caption); }
    void setAcceptCheck(std::function<bool(const QString&)> check) { m_check = std::move(check); }

private:
    void OKBtnClick();

    QLineEdit* m_password;
    std::function<bool(const QString&)> m_check;
};

// Shows "*" for every typed character.
void setStarEcho(QLineEdit* edit);
// The buttons of the password dialogs: `OKBtn` "OK" (default) runs onOk, `CancelBtn` "Cancel"
// rejects the dialog.
QDialogButtonBox* okCancelButtons(QDialog* dialog, const std::function<void()>& onOk);

}  // namespace tallyport
