#pragma once

#include "base/operator.h"
#include "store/sqlcipher_db.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tallyport {

// Add Card: the number of a card to register before it was ever read, typed or taken from the
// next unregistered card a reader presents ("Read at reader…"). OK checks the number (a card
// already registered is refused with its holder's name) and keeps the dialog open on refusal.
class AddCardDialog : public QDialog {
    Q_OBJECT
public:
    AddCardDialog(Database& src, Operator& op, QWidget* parent = nullptr);

    int cardNo() const { return m_card; }
    bool waitingForCard() const { return m_waiting; }

    // A card read at any reader; taken when the dialog waits for one and nobody holds it.
    void cardPresented(int cardNo);
    void readAtReader();
    void confirm();

private:
    Database& m_src;
    Operator& m_op;
    QLineEdit* m_number = nullptr;
    QPushButton* m_read = nullptr;
    QLabel* m_hint = nullptr;
    bool m_waiting = false;
    int m_card = 0;
};

}  // namespace tallyport
