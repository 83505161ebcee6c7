#pragma once

#include <QDialog>

class QCheckBox;

namespace tallyport {

// "Speech Options": the one switch of the spoken greetings. OK stores it; the next card
// event reads it, so no restart is needed. Cancel stores nothing.
class SpeechDialog : public QDialog {
    Q_OBJECT
public:
    explicit SpeechDialog(QWidget* parent = nullptr);

    QCheckBox* enableBox() const { return m_enable; }
    void accept() override;

private:
    QCheckBox* m_enable = nullptr;
};

}  // namespace tallyport
