#include "admin/ui/reader_editor_dialog.h"

#include "ui/widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <limits>

namespace tallyport {

ReaderEditorDialog::ReaderEditorDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ReaderEditorDialog"));
    setWindowTitle(QStringLiteral("Add Reader"));
    cbEnable = new QCheckBox(QStringLiteral("Enable"), this);
    cbEnable->setObjectName(QStringLiteral("cbEnable"));
    cbEnable->setToolTip(QStringLiteral("Enable this reader"));
    cbEnable->setChecked(true);
    eIpaddr = new QLineEdit(this);
    eIpaddr->setObjectName(QStringLiteral("eIpaddr"));
    eIpaddr->setToolTip(QStringLiteral("IP address of the reader in form of xxx.xxx.xxx.xxx"));
    sePort = new QSpinBox(this);
    sePort->setObjectName(QStringLiteral("sePort"));
    sePort->setRange(0, 65535);
    sePort->setValue(1668);
    xText = new QLineEdit(this);
    xText->setObjectName(QStringLiteral("xText"));
    xText->setToolTip(QStringLiteral("Description of the reader"));
    cbMode = new QComboBox(this);
    cbMode->setObjectName(QStringLiteral("cbMode"));
    cbMode->addItems({QStringLiteral("CLK"), QStringLiteral("IN"), QStringLiteral("OUT")});
    seLock = new QSpinBox(this);
    seLock->setObjectName(QStringLiteral("seLock"));
    seLock->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    OK = namedButton(QStringLiteral("OK"), "OK", QStringLiteral("Confirm and proceed the changes"),
                     this);
    OK->setDefault(true);
    Cancel = namedButton(QStringLiteral("Cancel"), "Cancel", QStringLiteral("Cancel the operation"),
                         this);
    connect(OK, &QPushButton::clicked, this, &QDialog::accept);
    connect(Cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* form = new QFormLayout(this);
    form->addRow(cbEnable);
    form->addRow(QStringLiteral("IP Address"), eIpaddr);
    form->addRow(QStringLiteral("Port No."), sePort);
    form->addRow(QStringLiteral("Description"), xText);
    form->addRow(QStringLiteral("Mode"), cbMode);
    form->addRow(QStringLiteral("Lock Time"), seLock);
    auto* buttons = buttonRow({}, {OK, Cancel});
    form->addRow(buttons);
}

void ReaderEditorDialog::setEdit(int port, const ReaderEdit& e) {
    setWindowTitle(QStringLiteral("COM%1").arg(port));
    eIpaddr->setText(e.ipaddr);
    sePort->setValue(e.ipport);
    cbEnable->setChecked(e.enable);
    cbMode->setCurrentIndex(e.mode >= 0 && e.mode < cbMode->count() ? e.mode : -1);
    xText->setText(e.desc);
    seLock->setValue(e.lockTime);
}

ReaderEdit ReaderEditorDialog::edit() const {
    return {cbEnable->isChecked(), eIpaddr->text(),        sePort->value(),
            xText->text(),         cbMode->currentIndex(), seLock->value()};
}

}  // namespace tallyport
