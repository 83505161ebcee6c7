#pragma once

#include "admin/reader_setup.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace tallyport {

// "Add Reader": one row of the reader setup; its caption becomes "COM" and the port number.
class ReaderEditorDialog : public QDialog {
    Q_OBJECT
public:
    explicit ReaderEditorDialog(QWidget* parent = nullptr);

    void setEdit(int port, const ReaderEdit& e);
    ReaderEdit edit() const;

    QCheckBox* cbEnable = nullptr;
    QLineEdit* eIpaddr = nullptr;
    QSpinBox* sePort = nullptr;
    QLineEdit* xText = nullptr;
    QComboBox* cbMode = nullptr;
    QSpinBox* seLock = nullptr;
    QPushButton* OK = nullptr;
    QPushButton* Cancel = nullptr;
};

}  // namespace tallyport
