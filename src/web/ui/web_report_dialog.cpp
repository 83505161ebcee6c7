#include "web/ui/web_report_dialog.h"

#include "base/operator.h"
#include "ui/widgets.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace tallyport {

WebReportDialog::WebReportDialog(Operator& op, QWidget* parent) : QDialog(parent), m_op(op) {
    setObjectName(QStringLiteral("WebReport"));
    setWindowTitle(QStringLiteral("Web Reporter"));
    cbEnable = new QCheckBox(QStringLiteral("Enable"));
    cbEnable->setObjectName(QStringLiteral("cbEnable"));
    eTitle = new QLineEdit;
    eTitle->setObjectName(QStringLiteral("eTitle"));
    sePort = new QSpinBox;
    sePort->setObjectName(QStringLiteral("sePort"));
    sePort->setRange(0, 65535);
    sePort->setToolTip(
        QStringLiteral("Ports below 1024 need administrator privileges; 8080 "
                       "needs none."));
    eToken = new QLineEdit;
    eToken->setObjectName(QStringLiteral("eToken"));
    eToken->setToolTip(QStringLiteral(
        "When set, browsers ask for it as the password (any user name), and programs send it as "
        "\"Authorization: Bearer TOKEN\". Empty: anybody on the network may read the pages."));
    eToken->setEchoMode(QLineEdit::Password);
    cbShowToken = new QCheckBox(QStringLiteral("Show"));
    cbShowToken->setObjectName(QStringLiteral("cbShowToken"));
    connect(cbShowToken, &QCheckBox::toggled, this, [this](bool shown) {
        eToken->setEchoMode(shown ? QLineEdit::Normal : QLineEdit::Password);
    });
    auto* generate = new QPushButton(QStringLiteral("Generate"));
    generate->setObjectName(QStringLiteral("bGenerate"));
    connect(generate, &QPushButton::clicked, this, [this] { eToken->setText(generateWebToken()); });
    auto* tokenRow = new QHBoxLayout;
    tokenRow->addWidget(eToken, 1);
    tokenRow->addWidget(cbShowToken);
    tokenRow->addWidget(generate);
    auto* form = new QFormLayout;
    form->addRow(QString(), cbEnable);
    form->addRow(QStringLiteral("Title"), eTitle);
    form->addRow(QStringLiteral("Port No."), sePort);
    form->addRow(QStringLiteral("Access token"), tokenRow);

    auto* ok = new QPushButton(QStringLiteral("OK"));
    ok->setObjectName(QStringLiteral("OK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    cancel->setObjectName(QStringLiteral("Cancel"));
    connect(ok, &QPushButton::clicked, this, &WebReportDialog::OKClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = buttonRow({}, {ok, cancel});
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    setSettings(loadWebSettings());
}

WebSettings WebReportDialog::settings() const {
    return {cbEnable->isChecked(), eTitle->text(), sePort->value(), eToken->text()};
}

void WebReportDialog::setSettings(const WebSettings& s) {
    cbEnable->setChecked(s.enabled);
    eTitle->setText(s.title);
    sePort->setValue(s.port);
    eToken->setText(s.token);
}

void WebReportDialog::OKClick() {
    const WebSettings s = settings();
    if (auto token = checkWebToken(s.token); !token) {
        m_op.error(token.error().text);
        eToken->setFocus();
        return;
    }
    storeWebSettings(s);
    if (s.enabled) m_op.information(webEnabledInformation());
    accept();
}

}  // namespace tallyport
