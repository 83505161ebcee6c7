#pragma once

#include "admin/reader_setup.h"

#include <QDialog>
#include <array>

class QPushButton;
class QStatusBar;
class QTableView;

namespace tallyport {

class Operator;
class ReaderBank;
class ReaderRowsModel;
class DataModule;

// "Setup": the eight rows of the reader table. Edit changes one row in the reader editor and
// reaches its client at once; Scan All probes every reader; the Access Manager is one button
// away. The ports touched are changed(): the caller configures them afresh once the dialog has
// closed. The layout is kept under "CommSetup", the column widths under "GridCommSetup".
class ReaderSetupDialog : public QDialog {
    Q_OBJECT
public:
    ReaderSetupDialog(ReaderBank& bank, DataModule& data, Operator& op, QWidget* parent = nullptr);
    ~ReaderSetupDialog() override;

    const std::array<bool, 8>& changed() const { return m_setup.changed(); }

    void Edit();
    void ScanAll();
    void AccessManagerClick();

    QTableView* ports = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* bEnableAll = nullptr;
    QPushButton* bAccessManager = nullptr;
    QStatusBar* estatus = nullptr;

protected:
    void reject() override;  // not while the scan runs

private:
    void reload();
    void setButtonsEnabled(bool on);

    ReaderBank& m_bank;
    DataModule& m_data;
    Operator& m_op;
    ReaderSetup m_setup;
    ReaderRowsModel* m_model = nullptr;
    bool m_busy = false;
};

}  // namespace tallyport
