#pragma once

#include "admin/access_manager.h"

#include <QDialog>
#include <array>
#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTimeEdit;

namespace tallyport {

class Operator;
class ReaderBank;
class DataModule;
class ReaderClient;

// "Offline Reader Manager": one enabled reader at a time, chosen in the reader list; its
// settings read (Get, when it is chosen) and put, its clock set, its stored records downloaded
// or cleared, the access table uploaded. Switched to the system PIN layout it puts the access
// and control PINs. The workflows are the core's (AccessManager); while one waits for the
// reader every control is disabled, so no second sequence can start. Settings are stored only
// by "Close".
class OfflineManagerDialog : public QDialog {
    Q_OBJECT
public:
    OfflineManagerDialog(ReaderBank& bank, DataModule& data, Operator& op,
                         QWidget* parent = nullptr);
    ~OfflineManagerDialog() override;

    bool hasReaders() const;
    // The reader-list click: select the reader, fit the layout to its mode, then Get (in the
    // system PIN layout: load the PINs instead).
    void readerListClick();
    // The system PIN layout ("Master PIN"): the reader list and the System PINs group.
    void enterPinLayout();
    bool busy() const { return m_busy; }

    QComboBox* cbPortList = nullptr;
    QPushButton* bsetclk = nullptr;
    QPushButton* bReconnect = nullptr;
    QGroupBox* gbRecord = nullptr;
    QCheckBox* cbClearAfter = nullptr;
    QCheckBox* cbAutoDownload = nullptr;
    QPushButton* bdownload = nullptr;
    QPushButton* bclrrec = nullptr;
    QGroupBox* gbAccess = nullptr;
    QPushButton* bupload = nullptr;
    QGroupBox* gbSettings = nullptr;
    QDateTimeEdit* dtDate = nullptr;
    QLineEdit* edLine1 = nullptr;
    QLineEdit* edLine2 = nullptr;
    QGroupBox* gbPasswd = nullptr;
    QSpinBox* sePasswd = nullptr;
    QGroupBox* gbOptions = nullptr;
    QCheckBox* cbBacklite = nullptr;
    QCheckBox* cbKeypad = nullptr;
    QCheckBox* cbCard = nullptr;
    QCheckBox* cbMagnet = nullptr;
    QCheckBox* cbReverse = nullptr;
    QGroupBox* gbAutoTime = nullptr;
    std::array<QTimeEdit*, kTimetableRows> tpTime{};
    std::array<QComboBox*, kTimetableRows> cbMode{};
    QCheckBox* cbSetClock = nullptr;
    QPushButton* bPut = nullptr;
    QPushButton* bGet = nullptr;
    QGroupBox* gbmasterpin = nullptr;
    QSpinBox* semasterpin = nullptr;
    QSpinBox* secontrolpin = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button1 = nullptr;
    QLineEdit* eStatus = nullptr;

protected:
    void reject() override;  // not while a workflow waits for the reader

private:
    class StatusField;

    void build();
    QWidget* buildLeftColumn();
    QWidget* buildSettings();
    QGroupBox* buildTimetable();
    QGroupBox* buildPins();
    void connectButtons();

    // The reader of the chosen entry; the caption becomes its description ("No Reader" when
    // the list is empty).
    ReaderClient* SelectReader();
    void fitLayout(int mode);
    void setTimetableItems(const QStringList& items);
    ManagerForm form() const;
    void showForm(const ManagerForm& f);
    void loadPins();
    // Runs one workflow on the selected reader with every control disabled and the wait
    // cursor shown; false when no reader is selected or the workflow failed.
    bool runWorkflow(const std::function<Task<bool>(AccessManager&)>& workflow);

    void Get();
    void SyncClock();
    void Put();
    void Download();
    void Clear();
    void Upload();
    void PutPins();
    void Reconnect();
    void Close();

    ReaderBank& m_bank;
    DataModule& m_data;
    Operator& m_op;
    std::unique_ptr<StatusField> m_status;
    QWidget* m_body = nullptr;
    ManagerForm m_form;  // what Get read that has no control (the reader's clock)
    bool m_pinLayout = false;
    bool m_busy = false;
};

}  // namespace tallyport
