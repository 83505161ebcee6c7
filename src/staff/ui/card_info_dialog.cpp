#include "staff/ui/card_info_dialog.h"

#include "staff/staff_rows.h"
#include "staff/ui/staff_rows_model.h"
#include "store/messages.h"
#include "store/photo_files.h"
#include "store/photo_transform.h"
#include "store/setting_names.h"
#include "ui/form_layout.h"
#include "ui/widgets.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace tallyport {

QString cardInfoCaption(int count) {
    return QStringLiteral("Used (%1 cards)").arg(count);
}

CardInfoDialog::CardInfoDialog(Database& src, Operator& op, std::function<bool(int)> editCard,
                               QWidget* parent)
    : QDialog(parent), m_src(src), m_op(op), m_editCard(std::move(editCard)) {
    setObjectName(QStringLiteral("CardInfoDialog"));
    setWindowTitle(QStringLiteral("Card Information List"));
    m_frame = new QGroupBox(this);
    m_frame->setObjectName(QStringLiteral("GroupBox2"));
    m_grid = new QTableView(m_frame);
    m_grid->setObjectName(QStringLiteral("dbgmember"));
    m_grid->setToolTip(QStringLiteral("Double click to edit the record."));
    m_rows = new StaffRowsModel(m_grid);
    setUpStaffGrid(m_grid, m_rows);
    (new QVBoxLayout(m_frame))->addWidget(m_grid);

    m_picture = photoLabel(this);
    auto* edit =
        namedButton(QStringLiteral("&Edit"), "bedit", QStringLiteral("Edit the record."), this);
    m_add = namedButton(QStringLiteral("&Add Card…"), "badd",
                        QStringLiteral("Register a card that was never read: type its number or "
                                       "read it at a reader."),
                        this);
    m_add->hide();  // until the caller can ask for a number
    auto* close = namedButton(QStringLiteral("&Close"), "Button2",
                              QStringLiteral("Return to main program."), this);
    auto* side = new QVBoxLayout;
    side->addWidget(m_picture);
    side->addStretch();
    side->addWidget(m_add);
    side->addWidget(edit);
    side->addWidget(close);
    auto* row = new QHBoxLayout(this);
    row->addWidget(m_frame, 1);
    row->addLayout(side);

    connect(edit, &QPushButton::clicked, this, &CardInfoDialog::Edit);
    connect(m_add, &QPushButton::clicked, this, &CardInfoDialog::addCard);
    connect(close, &QPushButton::clicked, this, &CardInfoDialog::closeAndSave);
    connect(m_grid, &QTableView::doubleClicked, this, &CardInfoDialog::Edit);
    connect(m_grid->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
        sortBy(m_rows->headerData(section, Qt::Horizontal, Qt::DisplayRole).toString());
    });
    // Mouse, keys and clicks all move the current row: the photo follows it.
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &CardInfoDialog::showPhoto);
    Refresh();
    RestoreFormLayout(setting::CardInfoForm, this);
    RestoreGridColumns(setting::CardInfoMemberGrid, m_grid);
    showPhoto();
}

void CardInfoDialog::sortBy(const QString& title) {
    storeSortColumn(setting::CI_member, sortColumnForTitle(title));
    Refresh();
}

void CardInfoDialog::Refresh() {
    auto rows = loadStaffRows(m_src, storedSortColumn(setting::CI_member));
    if (!rows) m_op.error(msg::DatabaseError);
    m_rows->setRows(rows ? std::move(*rows) : std::vector<StaffRow>{});
    m_frame->setTitle(cardInfoCaption(m_rows->rowCount()));
    selectGridRow(m_grid, 0);
    showPhoto();
}

void CardInfoDialog::showPhoto() {
    const int card = currentCard(m_grid, m_rows);
    auto bytes = card > 0 ? loadCardPhoto(m_src, card) : Result<QByteArray>(QByteArray());
    if (!bytes || !LoadPhotoFromField(*bytes, m_photo)) ClearPhoto(m_photo);
    showPicture(m_picture, m_photo);
}

void CardInfoDialog::Edit() {
    if (m_rows->rowCount() == 0) {
        m_op.error(msg::NoCardRecord);
        return;
    }
    const int card = currentCard(m_grid, m_rows);
    if (!m_editCard(card)) return;
    Refresh();
    if (card > 0) selectGridRow(m_grid, m_rows->rowOf(card));  // the first when it is gone
    showPhoto();
}

void CardInfoDialog::setAskNewCard(std::function<std::optional<int>()> ask) {
    m_askNewCard = std::move(ask);
    m_add->setVisible(bool(m_askNewCard));
}

void CardInfoDialog::addCard() {
    if (!m_askNewCard) return;
    const std::optional<int> card = m_askNewCard();
    if (!card || !m_editCard(*card)) return;
    Refresh();
    selectGridRow(m_grid, m_rows->rowOf(*card));
    showPhoto();
}

void CardInfoDialog::closeAndSave() {
    SaveFormLayout(setting::CardInfoForm, this);
    SaveGridColumns(setting::CardInfoMemberGrid, m_grid);
    accept();
}

}  // namespace tallyport
