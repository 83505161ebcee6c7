#pragma once

#include <QDialog>

namespace tallyport {

// The about box: the product's picture, name and version.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
};

}  // namespace tallyport
