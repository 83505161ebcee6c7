#pragma once

#include "store/photo_picture.h"

#include <QString>
#include <initializer_list>

class QHBoxLayout;
class QLabel;
class QPushButton;
class QTableView;
class QWidget;

namespace tallyport {

// A button of the staff dialogs: named for tests and scripts, with its hint; Enter stays with
// the dialog's default button.
QPushButton* namedButton(const QString& caption, const char* name, const QString& hint,
                         QWidget* parent);

// A dialog's row of buttons: `left` at the left edge, `right` at the right edge.
QHBoxLayout* buttonRow(std::initializer_list<QWidget*> left, std::initializer_list<QWidget*> right);

// A grid that lists rows to choose from: whole rows, one at a time, no editing in place.
void setUpReadOnlyGrid(QTableView* grid);

// The photo control `xphoto`: half the card photo's size, the picture stretched to it.
QLabel* photoLabel(QWidget* parent, const QString& hint = {});

// Shows a picture in a label (the label scales it to its frame).
void showPicture(QLabel* label, const Picture& picture);

}  // namespace tallyport
