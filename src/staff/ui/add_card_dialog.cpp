#include "staff/ui/add_card_dialog.h"

#include "staff/holder_register.h"
#include "ui/widgets.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tallyport {
namespace {

const QString kPresentCard = QStringLiteral("Present the new card at any reader…");
const QString kCardTaken = QStringLiteral("Card %1 read.");
const QString kReadCardRegistered =
    QStringLiteral("Card %1 is registered to %2: present another card.");

}  // namespace

AddCardDialog::AddCardDialog(Database& src, Operator& op, QWidget* parent)
    : QDialog(parent), m_src(src), m_op(op) {
    setObjectName(QStringLiteral("AddCardDialog"));
    setWindowTitle(QStringLiteral("Add Card"));
    m_number = new QLineEdit(this);
    m_number->setObjectName(QStringLiteral("ecardno"));
    m_number->setMaxLength(8);
    m_number->setToolTip(QStringLiteral("The number printed on the card, 1 to 16777215."));
    m_read = namedButton(QStringLiteral("&Read at reader…"), "bread",
                         QStringLiteral("Take the number of the next unregistered card that any "
                                        "reader reads."),
                         this);
    m_hint = new QLabel(this);
    m_hint->setObjectName(QStringLiteral("lhint"));
    auto* ok = namedButton(QStringLiteral("&OK"), "bok",
                           QStringLiteral("Open the card editor for this card."), this);
    ok->setDefault(true);
    auto* cancel =
        namedButton(QStringLiteral("&Cancel"), "bcancel", QStringLiteral("Add no card."), this);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Card &number:"), m_number);
    auto* all = new QVBoxLayout(this);
    all->addLayout(form);
    all->addWidget(m_read);
    all->addWidget(m_hint);
    all->addLayout(buttonRow({}, {ok, cancel}));
    connect(m_read, &QPushButton::clicked, this, &AddCardDialog::readAtReader);
    connect(ok, &QPushButton::clicked, this, &AddCardDialog::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void AddCardDialog::readAtReader() {
    m_waiting = true;
    m_hint->setText(kPresentCard);
}

void AddCardDialog::cardPresented(int cardNo) {
    if (!m_waiting || cardNo <= 0 || cardNo > kMaxCardNumber) return;
    const auto holder = holderOfCard(m_src, cardNo);
    if (!holder) return m_hint->setText(holder.error().text);
    // A registered card is named and passed over; the dialog waits on.
    if (*holder) return m_hint->setText(kReadCardRegistered.arg(cardNo).arg(**holder));
    m_waiting = false;
    m_number->setText(QString::number(cardNo));
    m_hint->setText(kCardTaken.arg(cardNo));
}

void AddCardDialog::confirm() {
    const auto card = checkNewCardNumber(m_src, m_number->text());
    if (!card) {
        m_op.error(card.error().text);
        m_number->setFocus();
        m_number->selectAll();
        return;
    }
    m_card = *card;
    accept();
}

}  // namespace tallyport
