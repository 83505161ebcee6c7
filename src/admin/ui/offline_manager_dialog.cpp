#include "admin/ui/offline_manager_dialog.h"

#include "admin/admin_texts.h"
#include "admin/reader_list.h"
#include "base/operator.h"
#include "readers/reader_bank.h"
#include "store/data_module.h"
#include "store/log_texts.h"
#include "store/setting_names.h"
#include "store/settings.h"
#include "ui/time_pickers.h"
#include "ui/widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace tallyport {

namespace {

const QString kCaption = QStringLiteral("Offline Reader Manager");
const QStringList kClockModes{QStringLiteral("Not Used"), QStringLiteral("IN"),
                              QStringLiteral("OUT")};
const QStringList kPinModes{QStringLiteral("Not Used"), QStringLiteral("No PIN"),
                            QStringLiteral("PIN")};

template <typename W>
W* named(W* w, const char* name) {
    w->setObjectName(QLatin1String(name));
    return w;
}

QCheckBox* box(const QString& caption, const char* name) {
    return named(new QCheckBox(caption), name);
}

QSpinBox* pinBox(const char* name) {
    auto* s = named(new QSpinBox, name);
    s->setRange(0, 65535);
    return s;
}

}  // namespace

// The status field shows the step a workflow is at.
class OfflineManagerDialog::StatusField final : public StepView {
public:
    explicit StatusField(QLineEdit* field) : m_field(field) {}
    void showStep(const QString& text) override {
        m_field->setText(text);
        m_field->show();
        m_field->repaint();
    }
    void hideStep() override { m_field->hide(); }

private:
    QLineEdit* m_field;
};

OfflineManagerDialog::OfflineManagerDialog(ReaderBank& bank, DataModule& data, Operator& op,
                                           QWidget* parent)
    : QDialog(parent), m_bank(bank), m_data(data), m_op(op) {
    setObjectName(QStringLiteral("OfflineManagerDialog"));
    setWindowTitle(kCaption);
    build();
    connectButtons();
    for (const ReaderEntry& e : enabledReaders(m_bank)) cbPortList->addItem(e.desc, e.port);
    cbPortList->setCurrentIndex(defaultReaderIndex(cbPortList->count()));
    LoadManagerSettings(m_form, true, m_data);
    showForm(m_form);
}

OfflineManagerDialog::~OfflineManagerDialog() = default;

void OfflineManagerDialog::build() {
    m_body = new QWidget(this);
    auto* columns = new QHBoxLayout(m_body);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->addWidget(buildLeftColumn());
    columns->addWidget(buildSettings());
    Button1 = namedButton(QStringLiteral("Close"), "Button1", {}, this);
    eStatus = named(new QLineEdit, "eStatus");
    eStatus->setReadOnly(true);
    eStatus->hide();
    m_status = std::make_unique<StatusField>(eStatus);
    bGet = namedButton(QStringLiteral("Get"), "bGet", {}, this);
    bGet->hide();  // pressed by the program after a reader is selected
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(eStatus, 1);
    bottom->addStretch();
    bottom->addWidget(Button1);
    auto* main = new QVBoxLayout(this);
    main->addWidget(m_body);
    main->addLayout(bottom);
}

QWidget* OfflineManagerDialog::buildLeftColumn() {
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* readerBox = named(new QGroupBox(QStringLiteral("Reader")), "gbReader");
    cbPortList = named(new QComboBox, "cbPortList");
    bsetclk = namedButton(QStringLiteral("Sync Clock"), "bsetclk", {}, this);
    bReconnect = namedButton(QStringLiteral("Reconnect"), "bReconnect", {}, this);
    auto* rl = new QVBoxLayout(readerBox);
    rl->addWidget(cbPortList);
    rl->addWidget(bsetclk);
    rl->addWidget(bReconnect);
    gbRecord = named(new QGroupBox(QStringLiteral("Attendance Record")), "gbRecord");
    cbClearAfter = box(QStringLiteral("Clear After Download"), "cbClearAfter");
    cbAutoDownload = box(QStringLiteral("Download after Connect"), "cbAutoDownload");
    cbAutoDownload->setToolTip(
        QStringLiteral("Download a reader's stored records whenever it connects, without "
                       "clearing them."));
    bdownload = namedButton(QStringLiteral("Download from Reader"), "bdownload", {}, this);
    bclrrec = namedButton(QStringLiteral("Clear Record"), "bclrrec", {}, this);
    auto* al = new QVBoxLayout(gbRecord);
    for (QWidget* w :
         std::initializer_list<QWidget*>{cbClearAfter, cbAutoDownload, bdownload, bclrrec})
        al->addWidget(w);
    gbAccess = named(new QGroupBox(QStringLiteral("Access Granted Table")), "gbAccess");
    bupload = namedButton(QStringLiteral("Upload to Reader"), "bupload", {}, this);
    (new QVBoxLayout(gbAccess))->addWidget(bupload);
    layout->addWidget(readerBox);
    layout->addWidget(gbRecord);
    layout->addWidget(gbAccess);
    layout->addWidget(buildPins());
    layout->addStretch();
    return column;
}

QGroupBox* OfflineManagerDialog::buildPins() {
    gbmasterpin = named(new QGroupBox(QStringLiteral("System PINs")), "gbmasterpin");
    semasterpin = pinBox("semasterpin");
    secontrolpin = pinBox("secontrolpin");
    auto* note = new QLabel(QStringLiteral("'0' to disable"));
    note->setStyleSheet(QStringLiteral("color: red;"));
    Button3 = namedButton(QStringLiteral("Put"), "Button3", {}, this);
    auto* grid = new QGridLayout(gbmasterpin);
    grid->addWidget(new QLabel(QStringLiteral("Access PIN")), 0, 0);
    grid->addWidget(semasterpin, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Control PIN")), 1, 0);
    grid->addWidget(secontrolpin, 1, 1);
    grid->addWidget(note, 2, 0, 1, 2);
    grid->addWidget(Button3, 3, 1);
    gbmasterpin->hide();
    return gbmasterpin;
}

QWidget* OfflineManagerDialog::buildSettings() {
    gbSettings = named(new QGroupBox(QStringLiteral("Reader Settings")), "gbSettings");
    auto* lcd = named(new QGroupBox(QStringLiteral("LCD Display")), "gbLcd");
    dtDate = named(new QDateTimeEdit, "dtDate");
    dtDate->setReadOnly(true);
    dtDate->setDisplayFormat(QStringLiteral("HH:mm:ss - dd/MMM/yyyy"));
    dtDate->setButtonSymbols(QAbstractSpinBox::NoButtons);
    edLine1 = named(new QLineEdit, "edLine1");
    edLine2 = named(new QLineEdit, "edLine2");
    edLine1->hide();  // loaded, sent and stored, but not shown
    edLine2->hide();
    auto* ll = new QHBoxLayout(lcd);
    ll->addWidget(new QLabel(QStringLiteral("Clock")));
    ll->addWidget(dtDate, 1);
    gbPasswd = named(new QGroupBox(QStringLiteral("PIN")), "gbPasswd");
    sePasswd = pinBox("sePasswd");
    (new QVBoxLayout(gbPasswd))->addWidget(sePasswd);
    gbOptions = named(new QGroupBox(QStringLiteral("Options")), "gbOptions");
    cbBacklite = box(QStringLiteral("Back Light On"), "cbBacklite");
    cbKeypad = box(QStringLiteral("Bypass Allowed"), "cbKeypad");
    cbCard = box(QStringLiteral("Any Card Bypass"), "cbCard");
    cbMagnet = box(QStringLiteral("Door Magnet"), "cbMagnet");
    cbReverse = box(QStringLiteral("Lock Reverse"), "cbReverse");
    cbBacklite->hide();  // never shown; they carry their bits
    cbMagnet->hide();
    auto* ol = new QVBoxLayout(gbOptions);
    for (QCheckBox* c : {cbBacklite, cbKeypad, cbCard, cbMagnet, cbReverse}) ol->addWidget(c);
    auto* putBox = named(new QGroupBox(QStringLiteral("Put Settings")), "gbPut");
    cbSetClock = box(QStringLiteral("Set Clock Together"), "cbSetClock");
    bPut = namedButton(QStringLiteral("Put"), "bPut", {}, this);
    auto* pl = new QHBoxLayout(putBox);
    pl->addWidget(cbSetClock);
    pl->addWidget(bPut);
    auto* layout = new QVBoxLayout(gbSettings);
    for (QWidget* w : std::initializer_list<QWidget*>{lcd, edLine1, edLine2, gbPasswd, gbOptions,
                                                      buildTimetable(), putBox})
        layout->addWidget(w);
    return gbSettings;
}

QGroupBox* OfflineManagerDialog::buildTimetable() {
    gbAutoTime = named(new QGroupBox(QStringLiteral("IN/OUT Auto Change")), "gbAutoTime");
    auto* grid = new QGridLayout(gbAutoTime);
    grid->addWidget(new QLabel(QStringLiteral("Time")), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Mode")), 0, 1);
    for (int i = 0; i < kTimetableRows; ++i) {
        const QByteArray time = "tpTime" + QByteArray::number(i + 1);
        const QByteArray mode = "cbMode" + QByteArray::number(i + 1);
        tpTime[size_t(i)] = hourPicker(time.constData(), gbAutoTime);
        cbMode[size_t(i)] = named(new QComboBox, mode.constData());
        cbMode[size_t(i)]->addItems(kClockModes);
        grid->addWidget(tpTime[size_t(i)], i + 1, 0);
        grid->addWidget(cbMode[size_t(i)], i + 1, 1);
    }
    return gbAutoTime;
}

void OfflineManagerDialog::connectButtons() {
    connect(cbPortList, &QComboBox::activated, this, &OfflineManagerDialog::readerListClick);
    connect(bsetclk, &QPushButton::clicked, this, &OfflineManagerDialog::SyncClock);
    connect(bReconnect, &QPushButton::clicked, this, &OfflineManagerDialog::Reconnect);
    connect(bdownload, &QPushButton::clicked, this, &OfflineManagerDialog::Download);
    connect(bclrrec, &QPushButton::clicked, this, &OfflineManagerDialog::Clear);
    connect(bupload, &QPushButton::clicked, this, &OfflineManagerDialog::Upload);
    connect(bPut, &QPushButton::clicked, this, &OfflineManagerDialog::Put);
    connect(bGet, &QPushButton::clicked, this, &OfflineManagerDialog::Get);
    connect(Button3, &QPushButton::clicked, this, &OfflineManagerDialog::PutPins);
    connect(Button1, &QPushButton::clicked, this, &OfflineManagerDialog::Close);
    // Takes effect at the next connect, so it is stored at once.
    connect(cbAutoDownload, &QCheckBox::clicked, this,
            [](bool on) { WriteSettingBool(setting::OL_AutoDownload, on); });
}

bool OfflineManagerDialog::hasReaders() const {
    return cbPortList->count() > 0;
}

ReaderClient* OfflineManagerDialog::SelectReader() {
    const int port = cbPortList->currentData().toInt();
    if (!hasReaders() || !ReaderBank::validPort(port)) {
        setWindowTitle(QStringLiteral("No Reader"));
        return nullptr;
    }
    ReaderClient& r = m_bank.reader(port);
    setWindowTitle(r.Desc());
    return &r;
}

void OfflineManagerDialog::readerListClick() {
    ReaderClient* r = SelectReader();
    if (!r) return;
    if (m_pinLayout) return loadPins();
    fitLayout(r->Mode());
    Get();
}

void OfflineManagerDialog::setTimetableItems(const QStringList& items) {
    for (QComboBox* c : cbMode) {
        c->clear();
        c->addItems(items);
        c->setCurrentIndex(0);
    }
}

// The groups a reader of this mode uses; another mode changes nothing.
void OfflineManagerDialog::fitLayout(int mode) {
    if (mode == ModeClock) {
        gbAutoTime->show();
        gbAutoTime->setTitle(QStringLiteral("Auto IN/OUT Timetable"));
        gbPasswd->hide();
        setTimetableItems(kClockModes);
        gbOptions->hide();
        for (QCheckBox* c : {cbKeypad, cbCard, cbMagnet, cbReverse}) c->hide();
    } else if (mode == ModeIn) {
        gbAutoTime->show();
        gbAutoTime->setTitle(QStringLiteral("PIN Timetable"));
        gbPasswd->show();
        setTimetableItems(kPinModes);
        gbOptions->show();
        cbKeypad->hide();
        cbMagnet->hide();
        cbCard->show();
        cbReverse->show();
    } else if (mode == ModeOut) {
        gbAutoTime->hide();
        gbPasswd->hide();
        gbOptions->show();
        cbKeypad->setText(QStringLiteral("Keypad Bypass"));
        cbKeypad->show();
        cbCard->show();
        cbReverse->show();
        cbMagnet->hide();
    }
}

ManagerForm OfflineManagerDialog::form() const {
    ManagerForm f = m_form;
    f.line1 = edLine1->text();
    f.line2 = edLine2->text();
    f.pin = sePasswd->value();
    f.options = {cbBacklite->isChecked(), cbKeypad->isChecked(), cbCard->isChecked(),
                 cbMagnet->isChecked(), cbReverse->isChecked()};
    for (int i = 0; i < kTimetableRows; ++i)
        f.timetable[size_t(i)] = {std::max(0, cbMode[size_t(i)]->currentIndex()),
                                  tpTime[size_t(i)]->time()};
    f.clearAfter = cbClearAfter->isChecked();
    f.setClock = cbSetClock->isChecked();
    f.autoDownload = cbAutoDownload->isChecked();
    return f;
}

void OfflineManagerDialog::showForm(const ManagerForm& f) {
    m_form = f;
    edLine1->setText(f.line1);
    edLine2->setText(f.line2);
    sePasswd->setValue(f.pin);
    const std::pair<QCheckBox*, bool> options[] = {{cbBacklite, f.options.backLight},
                                                   {cbKeypad, f.options.bypassAllowed},
                                                   {cbCard, f.options.anyCardBypass},
                                                   {cbMagnet, f.options.doorMagnet},
                                                   {cbReverse, f.options.lockReverse}};
    for (auto [c, on] : options) c->setChecked(on);
    for (int i = 0; i < kTimetableRows; ++i) {
        const TimetableEntry& e = f.timetable[size_t(i)];
        cbMode[size_t(i)]->setCurrentIndex(e.mode < cbMode[size_t(i)]->count() ? e.mode : 0);
        tpTime[size_t(i)]->setTime(e.time);
    }
    cbClearAfter->setChecked(f.clearAfter);
    cbSetClock->setChecked(f.setClock);
    cbAutoDownload->setChecked(f.autoDownload);
    if (f.clock.isValid()) dtDate->setDateTime(f.clock);
}

bool OfflineManagerDialog::runWorkflow(const std::function<Task<bool>(AccessManager&)>& workflow) {
    ReaderClient* reader = SelectReader();
    if (!reader || m_busy) return false;
    m_busy = true;
    m_body->setEnabled(false);
    Button1->setEnabled(false);
    bool done = false;
    {
        const auto cursor = m_op.waitCursor();
        AccessManager manager(*reader, m_data, m_op, *m_status);
        done = runToEnd(workflow(manager)).value_or(false);
    }
    m_status->hideStep();
    m_body->setEnabled(true);
    Button1->setEnabled(true);
    m_busy = false;
    return done;
}

void OfflineManagerDialog::Get() {
    ManagerForm f = form();
    if (runWorkflow([&f](AccessManager& m) { return m.Get(f); })) showForm(f);
}

void OfflineManagerDialog::SyncClock() {
    runWorkflow([](AccessManager& m) { return m.SyncClock(); });
}

void OfflineManagerDialog::Put() {
    ManagerForm f = form();
    runWorkflow([&f](AccessManager& m) { return m.Put(f); });
    edLine1->setText(f.line1);  // padded or cut to 16 characters
    edLine2->setText(f.line2);
}

namespace {
Task<bool> downloaded(AccessManager& m, bool clearAfter) {
    const DownloadResult r = co_await m.Download(clearAfter);
    co_return r.end == DownloadEnd::Done;
}
}  // namespace

void OfflineManagerDialog::Download() {
    const bool clearAfter = cbClearAfter->isChecked();
    runWorkflow([clearAfter](AccessManager& m) { return downloaded(m, clearAfter); });
}

void OfflineManagerDialog::Clear() {
    runWorkflow([](AccessManager& m) { return m.Clear(); });
}

void OfflineManagerDialog::Upload() {
    runWorkflow([](AccessManager& m) { return m.Upload(); });
}

void OfflineManagerDialog::Reconnect() {
    runWorkflow([](AccessManager& m) { return m.Reconnect(); });
}

void OfflineManagerDialog::enterPinLayout() {
    m_pinLayout = true;
    gbRecord->hide();
    gbAccess->hide();
    gbSettings->hide();
    gbmasterpin->show();
    setWindowTitle(QStringLiteral("Master PIN"));
    adjustSize();
    loadPins();
}

void OfflineManagerDialog::loadPins() {
    const auto cursor = m_op.waitCursor();
    if (!SelectReader()) return;
    semasterpin->setValue(m_data.GetKeyInt(kMasterPinKey));
    secontrolpin->setValue(m_data.GetKeyInt(kControlPinKey));
}

void OfflineManagerDialog::PutPins() {
    const int access = semasterpin->value();
    const int control = secontrolpin->value();
    runWorkflow([=](AccessManager& m) { return m.PutSystemPins(access, control); });
}

void OfflineManagerDialog::Close() {
    ManagerForm f = form();
    const std::optional<int> index =
        cbPortList->currentIndex() >= 0 ? std::optional(cbPortList->currentIndex()) : std::nullopt;
    SaveManagerSettings(f, index, m_data);
    accept();
}

void OfflineManagerDialog::reject() {
    if (!m_busy) QDialog::reject();
}

}  // namespace tallyport
