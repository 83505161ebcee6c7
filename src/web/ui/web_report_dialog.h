#pragma once

#include "web/web_settings.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QSpinBox;

namespace tallyport {

class Operator;

// "Web Reporter": switches the reporter on and off and sets its port, the pages' title and the
// optional access token (shown masked unless "Show" is ticked; "Generate" makes a random one).
// OK refuses a token too short to be worth having, else stores them (and, when switched on, tells
// the machine's addresses) and closes; the caller then restarts the server. Cancel stores nothing.
class WebReportDialog : public QDialog {
    Q_OBJECT
public:
    explicit WebReportDialog(Operator& op, QWidget* parent = nullptr);

    WebSettings settings() const;
    void setSettings(const WebSettings& s);

private:
    void OKClick();

    Operator& m_op;
    QCheckBox* cbEnable = nullptr;
    QLineEdit* eTitle = nullptr;
    QSpinBox* sePort = nullptr;
    QLineEdit* eToken = nullptr;
    QCheckBox* cbShowToken = nullptr;
};

}  // namespace tallyport
