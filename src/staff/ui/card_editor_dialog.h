#pragma once

#include "base/operator.h"
#include "staff/card_editor.h"
#include "store/sqlcipher_db.h"

#include <QDialog>
#include <QStringList>
#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace tallyport {

// The card editor "Card Information": name, work group, remarks, the readers the card may
// open and the photo. Confirm checks the name through the core; Delete asks and closes with
// an empty name. The caller loads and stores the card (EditCard).
class CardEditorDialog : public QDialog {
    Q_OBJECT
public:
    // readerDescs: the descriptions of readers 1 to 8, the captions of the access boxes.
    CardEditorDialog(Database& src, Operator& op, const QStringList& readerDescs,
                     QWidget* parent = nullptr);

    void setEdit(const CardEdit& edit);
    CardEdit edit() const;
    const Picture& photo() const { return m_photo; }

    // The actions of the buttons, for keyboard, mouse and tests alike.
    void Confirm();
    void Delete();
    void loadPhoto();
    void clearPicture();
    void Rotate();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildFields();
    QWidget* buildAccess(const QStringList& readerDescs);
    QWidget* buildPhoto();
    QWidget* buildButtons();
    void showPhoto();

    Database& m_src;
    Operator& m_op;
    CardEdit m_base;
    Picture m_photo;
    QLineEdit* m_code = nullptr;
    QLineEdit* m_name = nullptr;
    QComboBox* m_group = nullptr;
    QPlainTextEdit* m_memo = nullptr;
    std::array<QCheckBox*, kCardReaderPorts> m_com{};
    QCheckBox* m_offline = nullptr;
    QLabel* m_picture = nullptr;
};

}  // namespace tallyport
