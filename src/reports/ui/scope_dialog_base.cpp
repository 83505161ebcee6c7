#include "reports/ui/scope_dialog_base.h"

#include "base/clock.h"
#include "store/messages.h"
#include "ui/persons_group.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tallyport {

namespace {

template <typename T>
T* named(T* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QGroupBox* group(const QString& caption, const char* name, const QString& hint, QWidget* parent) {
    auto* g = named(new QGroupBox(caption, parent), name);
    if (!hint.isEmpty()) g->setToolTip(hint);
    return g;
}

QRadioButton* radio(QButtonGroup* buttons, int id, const QString& caption, const char* name,
                    QWidget* parent) {
    auto* rb = new QRadioButton(caption, parent);
    if (name) rb->setObjectName(QString::fromLatin1(name));
    buttons->addButton(rb, id);
    return rb;
}

void check(QButtonGroup* buttons, int id) {
    if (!buttons) return;
    if (QAbstractButton* b = buttons->button(id)) b->setChecked(true);
}

QDateEdit* datePicker(const char* name, QWidget* parent) {
    auto* d = named(new QDateEdit(appClock().now().date(), parent), name);
    d->setDisplayFormat(QStringLiteral("MMMM d, yyyy dddd"));
    d->setCalendarPopup(true);
    return d;
}

QCheckBox* option(const QString& caption, const char* name, QWidget* parent) {
    return named(new QCheckBox(caption, parent), name);
}

const QStringList kFormats = {QStringLiteral(" AM/PMhh:mm:ss"), QStringLiteral(" HH:mm:ss"),
                              QStringLiteral(" AM/PMhh:mm"), QStringLiteral(" HH:mm")};

}  // namespace

ReportScopeDialog::ReportScopeDialog(ScopeDialog kind, Database& src, Operator& op, QWidget* parent)
    : QDialog(parent), m_kind(kind), m_src(src), m_op(op) {
    setWindowTitle(kind == ScopeDialog::Who ? QStringLiteral("Who's Status")
                                            : QStringLiteral("Scope of Report"));
    m_filo = option(QStringLiteral("First In and Last Out Only"), "cbfilo", this);
    m_filo->setVisible(false);
}

ReportScopeDialog::~ReportScopeDialog() = default;

QGroupBox* ReportScopeDialog::buildPersons() {
    const PersonsGroup g = buildPersonsGroup(this, m_src, [this](QWidget* window) {
        if (m_openPickList) m_openPickList(window);
    });
    g.box->setToolTip(QStringLiteral("Select Person to be shown on the report"));
    m_persons = g.choice;
    m_groups = g.groups;
    connect(m_persons, &QButtonGroup::idToggled, this, [this](int, bool on) {
        if (on) loadGroupHours();
    });
    connect(m_groups, &QComboBox::currentTextChanged, this, [this] { loadGroupHours(); });
    return g.box;
}

void ReportScopeDialog::loadGroupHours() {
    if (!isLateDialog(m_kind) || m_overnight || !groupChecked()) return;
    WorkingHours h;
    readHours(h);
    const auto found = readGroupHours(m_src, groupName(), m_kind, h);
    if (!found) return m_op.errorDetail(msg::DatabaseError, found.error().text);
    if (*found) showHours(h);
}

bool ReportScopeDialog::groupChecked() const {
    return m_persons && m_persons->checkedId() == int(PersonsChoice::Group);
}

QString ReportScopeDialog::groupName() const {
    return m_groups ? m_groups->currentText() : QString();
}

QGroupBox* ReportScopeDialog::buildDates() {
    if (m_kind == ScopeDialog::Who) {
        auto* g = group(QStringLiteral("Date of interest"), "gbDates", {}, this);
        m_from = datePicker("dpfrom", g);
        (new QVBoxLayout(g))->addWidget(m_from);
        return g;
    }
    auto* g = group(QStringLiteral("Dates of interest"), "gbDates",
                    QStringLiteral("Select the date range to be shown on the report"), this);
    m_dates = new QButtonGroup(g);
    const std::pair<const char*, const char*> choices[] = {{"This &Week", "rbthisweek"},
                                                           {"&Last Week", "rblastweek"},
                                                           {"This &Month", "rbthismonth"},
                                                           {"Last M&onth", "rblastmonth"},
                                                           {"A&ll", "rball"},
                                                           {"&Range", "rbrange"}};
    auto* grid = new QGridLayout(g);
    for (int i = 0; i < 6; ++i)
        grid->addWidget(
            radio(m_dates, i, QString::fromLatin1(choices[i].first), choices[i].second, g), i % 3,
            i / 3);
    m_from = datePicker("dpfrom", g);
    m_to = datePicker("dpto", g);
    grid->addWidget(new QLabel(QStringLiteral("From"), g), 3, 0);
    grid->addWidget(m_from, 3, 1);
    grid->addWidget(new QLabel(QStringLiteral("To"), g), 4, 0);
    grid->addWidget(m_to, 4, 1);
    check(m_dates, int(DateChoice::ThisWeek));
    connect(m_dates, &QButtonGroup::idToggled, this, [this](int, bool on) {
        if (on) followDates();
    });
    followDates();
    return g;
}

void ReportScopeDialog::followDates() {
    const bool range = m_dates->checkedId() == int(DateChoice::Range);
    m_from->setEnabled(range);
    m_to->setEnabled(range);
}

QGroupBox* ReportScopeDialog::buildRecords() {
    auto* g = group(QStringLiteral("Records of interest"), "rgscope",
                    QStringLiteral("Select the record type to be used by the report"), this);
    m_records = new QButtonGroup(g);
    auto* row = new QHBoxLayout(g);
    const QString captions[] = {QStringLiteral("ALL"), QStringLiteral("CLOCK"),
                                QStringLiteral("IN/OUT")};
    for (int i = 0; i < 3; ++i) row->addWidget(radio(m_records, i, captions[i], nullptr, g));
    check(m_records, 0);
    return g;
}

QGroupBox* ReportScopeDialog::buildOptions() {
    auto* g = group(QStringLiteral("Options"), "gbOptions", QStringLiteral("Select report options"),
                    this);
    auto* col = new QVBoxLayout(g);
    if (m_kind != ScopeDialog::Who)
        col->addWidget(m_blank = option(QStringLiteral("Print &blank lines"), "cbblank", g));
    m_newPage = option(m_kind == ScopeDialog::Who ? QStringLiteral("&New page on new category")
                                                  : QStringLiteral("&New page on each person"),
                       "cbnewpage", g);
    m_enhance = option(QStringLiteral("&Enhanced Printing"), "cbenhance", g);
    m_preview = option(QStringLiteral("Pre&view Only"), "cbpreview", g);
    for (QCheckBox* c : {m_newPage, m_enhance, m_preview}) col->addWidget(c);
    return g;
}

QGroupBox* ReportScopeDialog::buildRecordsPerLine() {
    auto* g = group(QStringLiteral("Records per line"), "rgrecord", {}, this);
    m_perLine = new QButtonGroup(g);
    auto* row = new QHBoxLayout(g);
    for (int n = 2; n <= 8; n += 2)
        row->addWidget(radio(m_perLine, n, QString::number(n), nullptr, g));
    check(m_perLine, 4);
    return g;
}

QGroupBox* ReportScopeDialog::buildRecordFormat() {
    auto* g =
        group(QStringLiteral("Record format"), "rgformat",
              QStringLiteral("Select the date and time format displayed on the report"), this);
    m_format = new QButtonGroup(g);
    auto* col = new QVBoxLayout(g);
    for (int i = 0; i < kFormats.size(); ++i)
        col->addWidget(radio(m_format, i, kFormats[i], nullptr, g));
    check(m_format, 0);
    return g;
}

void ReportScopeDialog::finish(QLayout* body) {
    auto* confirm = named(new QPushButton(QStringLiteral("&Confirm"), this), "bConfirm");
    confirm->setDefault(true);
    auto* cancel = named(new QPushButton(QStringLiteral("Cancel"), this), "bCancel");
    cancel->setAutoDefault(false);
    auto* bar = new QHBoxLayout;
    bar->addWidget(m_filo);
    bar->addStretch();
    bar->addWidget(confirm);
    bar->addWidget(cancel);
    auto* all = new QVBoxLayout(this);
    all->addLayout(body);
    all->addLayout(bar);
    all->setSizeConstraint(QLayout::SetFixedSize);
    connect(confirm, &QPushButton::clicked, this, &ReportScopeDialog::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    setScope(readScopeDefaults(m_kind, appClock().now().date()));
}

void ReportScopeDialog::finishLate(QGroupBox* hours) {
    auto* body = new QGridLayout;
    body->addWidget(buildPersons(), 0, 0);
    body->addWidget(buildDates(), 1, 0, 2, 1);
    body->addWidget(buildRecords(), 0, 1);
    body->addWidget(buildOptions(), 1, 1);
    body->addWidget(buildRecordFormat(), 2, 1);
    hours->setObjectName(QStringLiteral("gbhours"));
    hours->setToolTip(QStringLiteral("Set the working hours for the report"));
    body->addWidget(hours, 0, 2, 3, 1);
    finish(body);
}

ReportScope ReportScopeDialog::scope() const {
    ReportScope s;
    if (m_persons) s.persons = PersonsChoice(m_persons->checkedId());
    s.groupName = groupName();
    if (m_dates) s.dateChoice = DateChoice(m_dates->checkedId());
    s.from = s.singleDay = m_from->date();
    s.to = m_to ? m_to->date() : s.from;
    if (m_records) s.records = RecordsOfInterest(m_records->checkedId());
    s.blankLines = m_blank && m_blank->isChecked();
    s.newPage = m_newPage->isChecked();
    s.enhanced = m_enhance->isChecked();
    s.previewOnly = m_preview->isChecked();
    s.firstInLastOutOnly = m_filo->isChecked();
    if (m_perLine) s.recordsPerLine = m_perLine->checkedId();
    if (m_format) s.recordFormat = m_format->checkedId();
    readHours(s.hours);
    return s;
}

void ReportScopeDialog::setScope(const ReportScope& s) {
    check(m_dates, int(s.dateChoice));
    const QDate from = m_kind == ScopeDialog::Who ? s.singleDay : s.from;
    if (from.isValid()) m_from->setDate(from);
    if (m_to && s.to.isValid()) m_to->setDate(s.to);
    if (m_blank) m_blank->setChecked(s.blankLines);
    m_newPage->setChecked(s.newPage);
    m_enhance->setChecked(s.enhanced);
    m_preview->setChecked(s.previewOnly);
    m_filo->setChecked(s.firstInLastOutOnly);
    check(m_records, int(s.records));
    check(m_perLine, s.recordsPerLine);
    check(m_format, s.recordFormat);
    showHours(s.hours);
    if (m_groups && !s.groupName.isEmpty()) {
        const int i = m_groups->findText(s.groupName);
        if (i >= 0) m_groups->setCurrentIndex(i);
    }
    check(m_persons, int(s.persons));
}

void ReportScopeDialog::hideControl(const QString& objectName) {
    if (auto* w = findChild<QWidget*>(objectName)) w->setVisible(false);
}

void ReportScopeDialog::setFirstInLastOutOnly(bool on) {
    m_filo->setChecked(on);
}

// The control that gets the focus when its field is refused.
const char* ReportScopeDialog::controlOf(ScopeField field) {
    switch (field) {
        case ScopeField::From:
            return "dpfrom";
        case ScopeField::Standard:
            return "dtpSTDstart";
        case ScopeField::Saturday:
            return "dtpSATstart";
        case ScopeField::Session1:
            return "dtpSTDstart1";
        case ScopeField::Session2:
            return "dtpSTDstart2";
        case ScopeField::Saturday1:
            return "dtpSATstart1";
        case ScopeField::Saturday1Check:
            return "cbsat1";
        case ScopeField::Saturday2:
            return "dtpSATstart2";
    }
    return "";
}

void ReportScopeDialog::confirm() {
    const ReportScope s = scope();
    if (!m_overnight) {
        if (const auto bad = firstInvalidField(m_kind, s)) {
            auto* w = findChild<QWidget*>(QLatin1String(controlOf(*bad)));
            m_op.error(scopeRefusalText(s, *bad));
            // After the message: its box took the focus while it was open.
            if (w) w->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    writeScopeSettings(m_kind, s);
    accept();
}

}  // namespace tallyport
