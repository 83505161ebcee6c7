#pragma once

#include "admin/door_open.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QPushButton;

namespace tallyport {

// "Setup Door Open Button": whether the main window shows the door button and which reader in
// use it serves. OK stores both.
class DoorOpenDialog : public QDialog {
    Q_OBJECT
public:
    explicit DoorOpenDialog(ReaderBank& bank, QWidget* parent = nullptr);

    QCheckBox* cbEnable = nullptr;
    QComboBox* cbPortList = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

private:
    void confirm();

    DoorChoice m_choice;
};

}  // namespace tallyport
