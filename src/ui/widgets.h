#pragma once

#include "store/photo_picture.h"

#include <QString>

class QLabel;
class QPushButton;
class QWidget;

namespace tallyport {

// A button of the staff dialogs: named for tests and scripts, with its hint; Enter stays with
// the dialog's default button.
QPushButton* namedButton(const QString& caption, const char* name, const QString& hint,
                         QWidget* parent);

// The photo control `xphoto`: half the card photo's size, the picture stretched to it.
QLabel* photoLabel(QWidget* parent, const QString& hint = {});

// Shows a picture in a label (the label scales it to its frame).
void showPicture(QLabel* label, const Picture& picture);

}  // namespace tallyport
