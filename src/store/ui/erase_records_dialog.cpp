#include "store/ui/erase_records_dialog.h"

#include "ui/widgets.h"

#include <QDateEdit>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tallyport {

EraseRecordsDialog::EraseRecordsDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("EraseRecordsDialog"));
    setWindowTitle(QStringLiteral("Erase Attendance Records"));
    auto* scope = new QGroupBox(QStringLiteral("Scope"), this);
    m_all = new QRadioButton(QStringLiteral("All Attendance Records"), scope);
    m_all->setObjectName(QStringLiteral("rball"));
    m_all->setToolTip(QStringLiteral("Erase all attendance records."));
    m_all->setChecked(true);
    m_before = new QRadioButton(QStringLiteral("Before the date"), scope);
    m_before->setObjectName(QStringLiteral("rbdate"));
    m_before->setToolTip(QStringLiteral("Erase the attendance records before the date."));
    m_from = new QDateEdit(scope);
    m_from->setObjectName(QStringLiteral("dpfrom"));
    m_from->setDisplayFormat(QStringLiteral("MMMM d, yyyy dddd"));
    m_from->setCalendarPopup(true);
    m_from->installEventFilter(this);
    connect(m_from, &QDateEdit::dateChanged, m_before, [this] { m_before->setChecked(true); });
    auto* inner = new QVBoxLayout(scope);
    inner->addWidget(m_all);
    inner->addWidget(m_before);
    inner->addWidget(m_from);

    auto* confirm = namedButton(QStringLiteral("Confirm"), "Button1", {}, this);
    auto* cancel = namedButton(QStringLiteral("Cancel"), "Button2", {}, this);
    confirm->setDefault(true);
    connect(confirm, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = buttonRow({}, {confirm, cancel});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(scope);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void EraseRecordsDialog::setFrom(const QDateTime& now) {
    const QSignalBlocker quiet(m_from);
    m_from->setDate(now.date());
    m_all->setChecked(true);
}

EraseScope EraseRecordsDialog::scope() const {
    return m_all->isChecked() ? EraseScope{} : EraseScope{false, m_from->date()};
}

// A click on the picker (its field or its calendar button) means that date.
bool EraseRecordsDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_from && event->type() == QEvent::MouseButtonPress) m_before->setChecked(true);
    return QDialog::eventFilter(watched, event);
}

}  // namespace tallyport
