#include "admin/ui/door_open_dialog.h"

#include "ui/widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace tallyport {

DoorOpenDialog::DoorOpenDialog(ReaderBank& bank, QWidget* parent)
    : QDialog(parent), m_choice(loadDoorChoice(bank)) {
    setObjectName(QStringLiteral("DoorOpenDialog"));
    setWindowTitle(QStringLiteral("Setup Door Open Button"));
    cbEnable = new QCheckBox(QStringLiteral("Enable Door Open Button"), this);
    cbEnable->setObjectName(QStringLiteral("cbEnable"));
    cbEnable->setChecked(m_choice.enabled);
    cbPortList = new QComboBox(this);
    cbPortList->setObjectName(QStringLiteral("cbPortList"));
    for (const ReaderEntry& e : m_choice.readers) cbPortList->addItem(e.desc, e.port);
    cbPortList->setCurrentIndex(m_choice.readers.empty() ? -1 : m_choice.selected);
    OKBtn = namedButton(QStringLiteral("OK"), "OKBtn", {}, this);
    OKBtn->setDefault(true);
    CancelBtn = namedButton(QStringLiteral("Cancel"), "CancelBtn", {}, this);
    connect(OKBtn, &QPushButton::clicked, this, &DoorOpenDialog::confirm);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = buttonRow({}, {OKBtn, CancelBtn});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(cbEnable);
    layout->addWidget(cbPortList);
    layout->addLayout(buttons);
}

void DoorOpenDialog::confirm() {
    const int i = cbPortList->currentIndex();
    std::optional<ReaderEntry> chosen;
    if (i >= 0 && size_t(i) < m_choice.readers.size()) chosen = m_choice.readers[size_t(i)];
    storeDoorChoice(cbEnable->isChecked(), chosen);
    accept();
}

}  // namespace tallyport
