#include "staff/ui/card_editor_dialog.h"

#include "store/photo_files.h"
#include "store/photo_transform.h"
#include "ui/group_combo.h"
#include "ui/widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tallyport {
namespace {

// A field that cannot be typed into looks so: it takes the window's ground instead of the
// white of an input field.
void setReadOnlyField(QLineEdit* field, bool readOnly) {
    field->setReadOnly(readOnly);
    QPalette look = field->parentWidget()->palette();
    if (readOnly) look.setBrush(QPalette::Base, look.window());
    field->setPalette(look);
}

}  // namespace

CardEditorDialog::CardEditorDialog(Database& src, Operator& op, const QStringList& readerDescs,
                                   QWidget* parent)
    : QDialog(parent), m_src(src), m_op(op) {
    setObjectName(QStringLiteral("CardEditorDialog"));
    setWindowTitle(QStringLiteral("Card Information"));
    auto* top = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(buildFields());
    left->addWidget(buildAccess(readerDescs));
    top->addLayout(left);
    top->addWidget(buildPhoto());
    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addWidget(buildButtons());
    all->setSizeConstraint(QLayout::SetFixedSize);
    ClearPhoto(m_photo);
    showPhoto();
    m_name->setFocus();
}

QWidget* CardEditorDialog::buildFields() {
    auto* box = new QWidget(this);
    auto* form = new QFormLayout(box);
    m_code = new QLineEdit(box);
    m_code->setObjectName(QStringLiteral("xcode"));
    setReadOnlyField(m_code, true);
    m_name = new QLineEdit(box);
    m_name->setObjectName(QStringLiteral("xname"));
    m_name->setMaxLength(kCardNameLength);
    m_name->setToolTip(QStringLiteral("Assoicate the card number with a name."));
    // The field stops taking keys at the column's size; without a word the keys seem lost.
    auto* limit =
        new QLabel(QStringLiteral("A name holds at most %1 characters.").arg(kCardNameLength), box);
    limit->setObjectName(QStringLiteral("xnamelimit"));
    limit->hide();
    connect(m_name, &QLineEdit::textEdited, limit, [this, limit](const QString& text) {
        if (text.size() >= m_name->maxLength()) limit->show();
    });
    m_group = new QComboBox(box);
    m_group->setObjectName(QStringLiteral("cbxgroup"));
    m_memo = new QPlainTextEdit(box);
    m_memo->setObjectName(QStringLiteral("memo"));
    m_memo->setTabChangesFocus(true);
    m_memo->setFixedHeight(80);
    form->addRow(QStringLiteral("Card Number"), m_code);
    form->addRow(QStringLiteral("&Name"), m_name);
    form->addRow(QString(), limit);
    form->addRow(QStringLiteral("&Member of"), m_group);
    form->addRow(QStringLiteral("&Remarks"), m_memo);
    return box;
}

QWidget* CardEditorDialog::buildAccess(const QStringList& readerDescs) {
    auto* box = new QGroupBox(QStringLiteral("Access Allowed"), this);
    box->setToolTip(
        QStringLiteral("Allow access control when the card is read on that communication port."));
    auto* grid = new QGridLayout(box);
    for (int i = 0; i < kCardReaderPorts; ++i) {
        auto* cb = new QCheckBox(readerDescs.value(i), box);
        cb->setObjectName(QStringLiteral("cbcom%1").arg(i + 1));
        grid->addWidget(cb, i / 2, i % 2);
        m_com[size_t(i)] = cb;
    }
    m_offline = new QCheckBox(QStringLiteral("Allow offline access"), box);
    m_offline->setObjectName(QStringLiteral("cboffline"));
    m_offline->hide();
    return box;
}

QWidget* CardEditorDialog::buildPhoto() {
    auto* box = new QGroupBox(QStringLiteral("Photo"), this);
    auto* col = new QVBoxLayout(box);
    m_picture = photoLabel(box, QStringLiteral("Photo associated with the card number."));
    m_picture->installEventFilter(this);
    col->addWidget(m_picture);
    auto* load = namedButton(QStringLiteral("&Load Photo"), "xload",
                             QStringLiteral("Associate a picture to the card holder."), box);
    auto* clear = namedButton(QStringLiteral("C&lear"), "bClear", {}, box);
    auto* rotate = namedButton(QStringLiteral("R&otate"), "bRotate", {}, box);
    connect(load, &QPushButton::clicked, this, &CardEditorDialog::loadPhoto);
    connect(clear, &QPushButton::clicked, this, &CardEditorDialog::clearPicture);
    connect(rotate, &QPushButton::clicked, this, &CardEditorDialog::Rotate);
    col->addWidget(load);
    col->addWidget(clear);
    col->addWidget(rotate);
    return box;
}

QWidget* CardEditorDialog::buildButtons() {
    auto* row = new QWidget(this);
    auto* h = new QHBoxLayout(row);
    auto* confirm = namedButton(QStringLiteral("&Confirm"), "xconfirm",
                                QStringLiteral("Confirm the change and exit."), row);
    auto* del = namedButton(QStringLiteral("&Delete"), "xdelete",
                            QStringLiteral("Remove the name from the card and exit."), row);
    auto* cancel = namedButton(QStringLiteral("Cancel"), "xcancel",
                               QStringLiteral("Cancel all changes and exit."), row);
    confirm->setDefault(true);  // Enter confirms
    connect(confirm, &QPushButton::clicked, this, &CardEditorDialog::Confirm);
    connect(del, &QPushButton::clicked, this, &CardEditorDialog::Delete);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    h->addStretch();
    h->addWidget(confirm);
    h->addWidget(del);
    h->addWidget(cancel);
    return row;
}

void CardEditorDialog::setEdit(const CardEdit& edit) {
    m_base = edit;
    m_code->setText(QString::number(edit.cardNo));
    m_name->setText(edit.name);
    setReadOnlyField(m_name, edit.registered);
    FillGroupCombo(m_group, m_src, -1);  // the names; the card's group is chosen by name
    m_group->setCurrentIndex(
        edit.groupName.isEmpty() ? -1 : m_group->findText(edit.groupName, Qt::MatchFixedString));
    m_memo->setPlainText(edit.memo);
    for (int i = 0; i < kCardReaderPorts; ++i) m_com[size_t(i)]->setChecked(edit.com[size_t(i)]);
    m_offline->setChecked(edit.offline);
    m_photo = edit.photo;
    if (m_photo.isEmpty()) ClearPhoto(m_photo);
    showPhoto();
}

CardEdit CardEditorDialog::edit() const {
    CardEdit e = m_base;
    e.name = m_name->text();
    e.groupName = m_group->currentIndex() < 0 ? QString() : m_group->currentText();
    e.memo = m_memo->toPlainText();
    for (int i = 0; i < kCardReaderPorts; ++i) e.com[size_t(i)] = m_com[size_t(i)]->isChecked();
    e.offline = m_offline->isChecked();
    e.photo = m_photo;
    return e;
}

void CardEditorDialog::Confirm() {
    auto name = checkCardName(m_src, m_name->text(), m_name->isReadOnly());
    if (!name) {
        m_name->setFocus();
        m_op.error(name.error().text);
        return;
    }
    m_name->setText(*name);
    if (ResizePicture(m_photo, kCardPhotoWidth, kCardPhotoHeight)) showPhoto();
    accept();
}

void CardEditorDialog::Delete() {
    if (!m_op.confirm(msg::ConfirmDeleteCard)) return;
    m_name->clear();
    accept();
}

void CardEditorDialog::loadPhoto() {
    if (LoadPhotoFile(m_op, m_photo, 0, 0)) showPhoto();
}

void CardEditorDialog::clearPicture() {
    ClearPhoto(m_photo);
    showPhoto();
}

void CardEditorDialog::Rotate() {
    RotatePicture(m_op, m_photo);
    showPhoto();
}

bool CardEditorDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_picture && event->type() == QEvent::MouseButtonRelease) {
        loadPhoto();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void CardEditorDialog::showPhoto() {
    showPicture(m_picture, m_photo);
}

}  // namespace tallyport
