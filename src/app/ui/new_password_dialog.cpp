#include "app/ui/new_password_dialog.h"

#include "app/login.h"
#include "app/ui/password_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace tallyport {
namespace {

QLineEdit* passwordEdit(const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    setStarEcho(edit);
    return edit;
}

}  // namespace

NewPasswordDialog::NewPasswordDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(msg::PasswordCaption);
    m_password = passwordEdit("Password", this);
    m_retype = passwordEdit("ReType", this);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("New password:"), m_password);
    form->addRow(QStringLiteral("Retype password:"), m_retype);

    QDialogButtonBox* buttons = okCancelButtons(this, [this] { OKBtnClick(); });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(300);
}

QString NewPasswordDialog::password() const {
    return m_password->text();
}
QString NewPasswordDialog::retyped() const {
    return m_retype->text();
}
void NewPasswordDialog::setPassword(const QString& text) {
    m_password->setText(text);
}
void NewPasswordDialog::setRetyped(const QString& text) {
    m_retype->setText(text);
}

void NewPasswordDialog::OKBtnClick() {
    if (!m_check || m_check(m_password->text(), m_retype->text())) {
        accept();
        return;
    }
    m_password->setFocus();
}

}  // namespace tallyport
