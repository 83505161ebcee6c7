#pragma once

#include <QDialog>
#include <QJsonObject>

class QComboBox;
class QPushButton;

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
    // The buttons, by workflow: "Get", "Sync Clock", "Download", "Clear", "Upload".
    QPushButton* button(const QString& name) const;

private:
    void run(const QString& caption, const QStringList& action);
    void clearReader();

    Console& m_console;
    QComboBox* m_readers = nullptr;
};

}  // namespace tallyport
