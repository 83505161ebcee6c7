#pragma once

#include <QDialog>
#include <QJsonObject>

class QComboBox;
class QGroupBox;
class QPushButton;
class QSpinBox;

namespace tallyport {

class Console;

// The Access Manager of a console attached to a recorder: the recorder runs the readers, so
// each workflow (Get, Sync Clock, Download, Clear, Upload) is carried out by the recorder on the
// reader it runs, with its progress and its answers shown here. Questions are asked here first.
class RecorderReadersDialog : public QDialog {
    Q_OBJECT
public:
    RecorderReadersDialog(Console& console, QWidget* parent = nullptr);

    // Ports of the recorder's readers in the list; 0 when none is chosen.
    int chosenPort() const;
    bool hasReaders() const;
    // The buttons, by workflow: "Get", "Sync Clock", "Download", "Clear", "Upload", and "Put"
    // of the system PINs.
    QPushButton* button(const QString& name) const;
    // System PINs: the two PINs as stored, sent by Put; the workflows hidden.
    void enterPinLayout();

private:
    void run(const QString& caption, const QStringList& action);
    void clearReader();
    void putPins();

    Console& m_console;
    QComboBox* m_readers = nullptr;
    QWidget* m_workflows = nullptr;
    QGroupBox* m_pins = nullptr;
    QSpinBox* m_accessPin = nullptr;
    QSpinBox* m_controlPin = nullptr;
};

}  // namespace tallyport
