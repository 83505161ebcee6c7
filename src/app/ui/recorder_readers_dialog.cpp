#include "app/ui/recorder_readers_dialog.h"

#include "admin/admin_texts.h"
#include "admin/manager_settings.h"
#include "admin/reader_setup.h"
#include "app/console.h"
#include "app/reader_command.h"
#include "app/recorder_link.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace tallyport {
namespace {

const QString kTitle = QStringLiteral("Access Manager (carried out by the recorder)");
const QString kIntro = QStringLiteral(
    "The recorder runs the readers: what you start here it carries out on the reader it runs, "
    "behind any download already running there.");
const QString kReaderText = QStringLiteral("%1: %2");
const QString kPinsTitle = QStringLiteral("Master PIN (carried out by the recorder)");

QSpinBox* pinBox(const char* name, int value) {
    auto* s = new QSpinBox;
    s->setObjectName(QLatin1String(name));
    s->setRange(0, 65535);
    s->setValue(value);
    return s;
}

}  // namespace

RecorderReadersDialog::RecorderReadersDialog(Console& console, QWidget* parent)
    : QDialog(parent), m_console(console) {
    setObjectName(QStringLiteral("RecorderReadersDialog"));
    setWindowTitle(kTitle);
    auto* intro = new QLabel(kIntro, this);
    intro->setWordWrap(true);
    m_readers = new QComboBox(this);
    m_readers->setObjectName(QStringLiteral("cbReaders"));
    // The rows of the setup the recorder runs: the enabled ones.
    if (const auto rows = readReaderRows(console.data().src())) {
        for (const ReaderRow& r : *rows)
            if (r.enable) m_readers->addItem(kReaderText.arg(r.portNo).arg(r.desc), r.portNo);
    } else {
        console.data().reportFailure(rows.error());
    }
    m_workflows = new QWidget(this);
    auto* buttons = new QHBoxLayout(m_workflows);
    buttons->setContentsMargins(0, 0, 0, 0);
    const auto add = [&](const QString& name, auto slot) {
        auto* b = new QPushButton(name, m_workflows);
        b->setObjectName(name);
        b->setEnabled(hasReaders());
        connect(b, &QPushButton::clicked, this, slot);
        buttons->addWidget(b);
    };
    add(QStringLiteral("Get"), [this] { run(QStringLiteral("Get"), {QStringLiteral("show")}); });
    add(QStringLiteral("Sync Clock"),
        [this] { run(QStringLiteral("Sync Clock"), {QStringLiteral("sync-clock")}); });
    add(QStringLiteral("Download"),
        [this] { run(admin_text::step::Downloading, {QStringLiteral("download")}); });
    add(QStringLiteral("Clear"), [this] { clearReader(); });
    add(QStringLiteral("Upload"),
        [this] { run(admin_text::UploadingCaption, {QStringLiteral("upload")}); });
    m_pins = new QGroupBox(QStringLiteral("System PINs"), this);
    auto* pinForm = new QFormLayout(m_pins);
    m_accessPin = pinBox("semasterpin", console.data().GetKeyInt(kMasterPinKey));
    m_controlPin = pinBox("secontrolpin", console.data().GetKeyInt(kControlPinKey));
    pinForm->addRow(QStringLiteral("Access PIN"), m_accessPin);
    pinForm->addRow(QStringLiteral("Control PIN"), m_controlPin);
    auto* put = new QPushButton(QStringLiteral("Put"), m_pins);
    put->setObjectName(QStringLiteral("Put"));
    put->setEnabled(hasReaders());
    connect(put, &QPushButton::clicked, this, &RecorderReadersDialog::putPins);
    pinForm->addRow(put);
    m_pins->hide();
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(m_readers);
    layout->addWidget(m_workflows);
    layout->addWidget(m_pins);
    layout->addWidget(close);
}

int RecorderReadersDialog::chosenPort() const {
    return m_readers->currentData().toInt();
}

bool RecorderReadersDialog::hasReaders() const {
    return m_readers->count() > 0;
}

QPushButton* RecorderReadersDialog::button(const QString& name) const {
    return findChild<QPushButton*>(name);
}

void RecorderReadersDialog::run(const QString& caption, const QStringList& action) {
    const int port = chosenPort();
    if (port <= 0) return;
    setEnabled(false);  // one request at a time from this window
    (void)carryOutOnRecorder(m_console.op(), m_console.data().dataFolder(), caption,
                             kReaderCommand, QStringList{QString::number(port)} + action);
    setEnabled(true);
    Q_EMIT m_console.logChanged();
}

void RecorderReadersDialog::enterPinLayout() {
    setWindowTitle(kPinsTitle);
    m_workflows->hide();
    m_pins->show();
}

void RecorderReadersDialog::putPins() {
    run(admin_text::step::PutAccessPin,
        {QStringLiteral("pins"), QString::number(m_accessPin->value()),
         QString::number(m_controlPin->value())});
}

// The question is the dialog's own; the recorder is told the answer.
void RecorderReadersDialog::clearReader() {
    if (!m_console.op().askYesNo(admin_text::ConfirmClear)) return;
    run(admin_text::step::Clearing, {QStringLiteral("clear"), QStringLiteral("--yes")});
}

}  // namespace tallyport
