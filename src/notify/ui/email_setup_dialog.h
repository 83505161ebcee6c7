#pragma once

#include "notify/email_settings.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace tallyport {

class Operator;
class DataModule;

// "Email Settings": the SMTP server and its sign-in, the addresses, and when mail goes out.
// Confirm checks the three addresses, stores everything and closes with OK; the caller then
// sets the sending timer up again. Cancel stores nothing. "Send test mail" sends one message
// with the settings as shown and says what the server answered.
class EmailSetupDialog : public QDialog {
    Q_OBJECT
public:
    EmailSetupDialog(DataModule& data, Operator& op, QWidget* parent = nullptr);

    EmailSettings settings() const;
    void setSettings(const EmailSettings& s);

private:
    void Button1Click();
    void testClick();
    bool checked(EmailSettings& s);
    void showInterval();
    QWidget* buildServer();
    QWidget* buildInterval();
    QWidget* buildOptions();

    DataModule& m_data;
    Operator& m_op;
    QLineEdit* smtpserver = nullptr;
    QSpinBox* smtpport = nullptr;
    QCheckBox* cbstarttls = nullptr;
    QLineEdit* smtpuser = nullptr;
    QLineEdit* smtppass = nullptr;
    QLineEdit* rxemail = nullptr;
    QLineEdit* txemail = nullptr;
    QCheckBox* cbenable = nullptr;
    QRadioButton* cbeach = nullptr;
    QRadioButton* cbint = nullptr;
    QSpinBox* setime = nullptr;
    QCheckBox* cbsendcap = nullptr;
    QCheckBox* cbstaff = nullptr;
};

}  // namespace tallyport
