#pragma once

#include <QDialog>

namespace tallyport {

// The about box: the product's picture, name and version.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

}  // namespace tallyport
