#include "app/ui/recorder_readers_dialog.h"

#include "admin/admin_texts.h"
#include "admin/reader_setup.h"
#include "app/console.h"
#include "app/reader_command.h"
#include "app/recorder_link.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tallyport {
namespace {

const QString kTitle = QStringLiteral("Access Manager (carried out by the recorder)");
const QString kIntro = QStringLiteral(
    "The recorder runs the readers: what you start here it carries out on the reader it runs, "
    "behind any download already running there.");
const QString kReaderText = QStringLiteral("%1: %2");

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
    auto* buttons = new QHBoxLayout;
    const auto add = [&](const QString& name, auto slot) {
        auto* b = new QPushButton(name, this);
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
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(m_readers);
    layout->addLayout(buttons);
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

// The question is the dialog's own; the recorder is told the answer.
void RecorderReadersDialog::clearReader() {
    if (!m_console.op().askYesNo(admin_text::ConfirmClear)) return;
    run(admin_text::step::Clearing, {QStringLiteral("clear"), QStringLiteral("--yes")});
}

}  // namespace tallyport
