#pragma once

#include "base/operator.h"
#include "staff/card_editor.h"
#include "store/sqlcipher_db.h"

#include <QDialog>
#include <functional>
#include <optional>

class QGroupBox;
class QLabel;
class QPushButton;
class QTableView;

namespace tallyport {

class StaffRowsModel;

// "Card Information List": every registered card with its holder and group, the selected
// holder's photo, Edit through the card editor and Add Card for a card never read. Only the
// selected row's photo is read.
class CardInfoDialog : public QDialog {
    Q_OBJECT
public:
    // editCard runs the card editor for a card and answers true when something was stored.
    CardInfoDialog(Database& src, Operator& op, std::function<bool(int cardNo)> editCard,
                   QWidget* parent = nullptr);

    // Add Card asks for a new card's number (nothing: cancelled) and edits it as Edit does.
    void setAskNewCard(std::function<std::optional<int>()> ask);
    void addCard();

    void Refresh();
    void sortBy(const QString& title);
    void Edit();
    void closeAndSave();
    void showPhoto();

    QTableView* grid() const { return m_grid; }
    StaffRowsModel* model() const { return m_rows; }
    const Picture& photo() const { return m_photo; }
    QGroupBox* frame() const { return m_frame; }

private:
    Database& m_src;
    Operator& m_op;
    std::function<bool(int)> m_editCard;
    std::function<std::optional<int>()> m_askNewCard;
    QPushButton* m_add = nullptr;
    QTableView* m_grid = nullptr;
    StaffRowsModel* m_rows = nullptr;
    QGroupBox* m_frame = nullptr;
    QLabel* m_picture = nullptr;
    Picture m_photo;
};

// "Used (N cards)"
QString cardInfoCaption(int count);

}  // namespace tallyport
