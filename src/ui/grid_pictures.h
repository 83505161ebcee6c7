#pragma once

#include <QImage>
#include <QStyledItemDelegate>

class QModelIndex;
class QPainter;
class QRect;

namespace tallyport {

// The small pictures that grids draw in place of a cell's text.
enum class GridPicture { Stop, Check, Uncheck, Disable, Camera, MotionCamera };

// The picture as drawn on a white ground, 16 x 16; white counts as transparent when drawn.
QImage gridPictureImage(GridPicture picture);

// Fills the cell with the painter's brush (the grid has prepared it, selection included), then
// copies the picture's top left part of the cell's size onto it, unscaled, letting the
// background show where the picture is white.
void drawGridPicture(QPainter& painter, const QRect& cell, GridPicture picture);

void stopCell(QPainter& painter, const QRect& cell);
void checkCell(QPainter& painter, const QRect& cell, bool flag);

// Draws the cell when its column holds yes/no values (the model's FieldKindRole), with the
// value the model gives for Qt::EditRole (a model gives a yes/no cell no check state, so
// nothing draws Qt's own check box beside the picture); other columns are left to the grid's
// own drawing. True when drawn.
bool yesNoColumnCell(QPainter& painter, const QRect& cell, const QModelIndex& index);
// Draws a camera column cell when the value is an integer: -1 a crossed-out camera, 0 a
// camera, anything else a motion camera. True when drawn.
bool cameraColumnCell(QPainter& painter, const QRect& cell, const QModelIndex& index);

// A grid's cells with yes/no cells drawn as check pictures on the cell's background (the
// selection colour on a selected row), without text; other cells are drawn as usual.
class YesNoCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

}  // namespace tallyport
