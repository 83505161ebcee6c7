#include "peripherals/ui/speech_dialog.h"

#include "store/setting_names.h"
#include "store/settings.h"
#include "ui/widgets.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace tallyport {

SpeechDialog::SpeechDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DlgSpeech"));
    setWindowTitle(QStringLiteral("Speech Options"));
    auto* group = new QGroupBox(QStringLiteral("Speech Options"));
    m_enable = new QCheckBox(QStringLiteral("Enable Speech Feedback"));
    m_enable->setObjectName(QStringLiteral("cbEnable"));
    m_enable->setChecked(ReadSettingBool(setting::SpeechEnable, false));
    (new QVBoxLayout(group))->addWidget(m_enable);
    auto* ok = new QPushButton(QStringLiteral("OK"));
    ok->setObjectName(QStringLiteral("OKBtn"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = buttonRow({}, {ok, cancel});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
}

void SpeechDialog::accept() {
    WriteSettingBool(setting::SpeechEnable, m_enable->isChecked());
    QDialog::accept();
}

}  // namespace tallyport
