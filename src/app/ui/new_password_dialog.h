#pragma once

#include <QDialog>
#include <functional>

class QLineEdit;
class QPushButton;

namespace tallyport {

// Asks for a new password and its retyped copy. OK hands both to the accept check; a refused
// pair keeps the dialog open with the focus on the first entry.
class NewPasswordDialog : public QDialog {
    Q_OBJECT
public:
    explicit NewPasswordDialog(QWidget* parent = nullptr);

    QString password() const;
    QString retyped() const;
    void setPassword(const QString& text);
    void setRetyped(const QString& text);
    void setAcceptCheck(std::function<bool(const QString&, const QString&)> check) {
        m_check = std::move(check);
    }

private:
    void OKBtnClick();

    QLineEdit* m_password;
    QLineEdit* m_retype;
    std::function<bool(const QString&, const QString&)> m_check;
};

}  // namespace tallyport
