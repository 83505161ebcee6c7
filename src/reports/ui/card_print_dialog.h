#pragma once

#include "base/operator.h"
#include "reports/card_print.h"
#include "store/sqlcipher_db.h"

#include <QDialog>
#include <array>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLayout;
class QLineEdit;
class QRadioButton;

namespace tallyport {

// "Print Member Card": whose cards, the background and logo pictures, the card's options and
// its style. Opens on the remembered settings and the pictures of the data folder; the style
// is remembered when it is clicked, the rest only by "Save" ("Confirm" saves nothing).
class CardPrintDialog : public QDialog {
    Q_OBJECT
public:
    CardPrintDialog(Database& src, Operator& op, const QString& dataFolder,
                    QWidget* parent = nullptr);
    ~CardPrintDialog() override;

    CardSettings settings() const;
    const CardPictures& pictures() const { return m_pictures; }
    StaffScope persons() const;
    QString groupName() const;  // the group shown in the list

    // What "Pick List" opens: the pick list is another feature's dialog.
    void setPickListOpener(std::function<void(QWidget* window)> open) {
        m_openPickList = std::move(open);
    }

    // The background picture box's width for a style.
    static int backgroundBoxWidth(CardStyle style);

private:
    QGroupBox* buildPictureBox(const QString& caption, bool background);
    QGroupBox* buildOptions();
    QGroupBox* buildStyle();
    QLayout* buildBottomBar();
    void showSettings(const CardSettings& s);
    void applyStyle(CardStyle style);
    void chooseStyle(CardStyle style);
    Picture& picture(bool background) {
        return background ? m_pictures.background : m_pictures.logo;
    }
    void showPictures();
    void loadPicture(bool background);
    void clearPicture(bool background);
    void rotatePicture(bool background);
    void save();

    Operator& m_op;
    QString m_folder;
    CardPictures m_pictures;
    QButtonGroup* m_persons = nullptr;  // ids: StaffScope
    QComboBox* m_groups = nullptr;
    QLabel* m_backBox = nullptr;
    QLabel* m_logoBox = nullptr;
    QCheckBox* m_frame = nullptr;
    QCheckBox* m_logo = nullptr;
    QCheckBox* m_title = nullptr;
    QLineEdit* m_titleText = nullptr;
    std::array<QCheckBox*, kCardRemarkLines> m_remarks{};
    std::array<QLineEdit*, kCardRemarkLines> m_remarkTexts{};
    QCheckBox* m_transparent = nullptr;
    QCheckBox* m_preview = nullptr;
    QRadioButton* m_horizontal = nullptr;
    QRadioButton* m_vertical = nullptr;
    std::function<void(QWidget*)> m_openPickList;
};

}  // namespace tallyport
