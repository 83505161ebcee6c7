#include "app/ui/password_dialog.h"

#include "app/login.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tallyport {

void setStarEcho(QLineEdit* edit) {
    edit->setEchoMode(QLineEdit::Password);
    edit->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
}

QDialogButtonBox* okCancelButtons(QDialog* dialog, const std::function<void()>& onOk) {
    auto* buttons = new QDialogButtonBox(dialog);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("OKBtn"));
    ok->setDefault(true);
    QPushButton* cancel =
        buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    QObject::connect(ok, &QPushButton::clicked, dialog, onOk);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    return buttons;
}

PasswordDialog::PasswordDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(msg::PasswordCaption);
    auto* label = new QLabel(QStringLiteral("Enter Password:"), this);
    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("Password"));
    setStarEcho(m_password);
    label->setBuddy(m_password);

    QDialogButtonBox* buttons = okCancelButtons(this, [this] { OKBtnClick(); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_password);
    layout->addWidget(buttons);
    setMinimumWidth(260);
}

QString PasswordDialog::password() const {
    return m_password->text();
}

void PasswordDialog::setPassword(const QString& text) {
    m_password->setText(text);
}

void PasswordDialog::OKBtnClick() {
    const bool accepted = !m_check || m_check(m_password->text());
    m_password->selectAll();
    m_password->setFocus();
    if (accepted) accept();
}

}  // namespace tallyport
