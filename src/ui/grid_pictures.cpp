#include "ui/grid_pictures.h"

#include "base/field_kind.h"

#include <QModelIndex>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <QStyle>

namespace tallyport {
namespace {

constexpr int kSide = 16;
// Near-white parts that must stay visible: pure white is the transparent colour.
const QColor kPaper(0xf4, 0xf4, 0xf4);

void drawBox(QPainter& p, bool ticked) {
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);  // shows the cell's background
    p.drawRect(1, 1, 13, 13);
    if (!ticked) return;
    p.setPen(QPen(Qt::black, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.drawPolyline(QPolygon({QPoint(4, 7), QPoint(6, 10), QPoint(11, 4)}));
}

void drawStop(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(QColor(0x80, 0, 0), 1));
    p.setBrush(QColor(0xd0, 0x10, 0x10));
    p.drawPolygon(QPolygon({QPoint(5, 1), QPoint(10, 1), QPoint(14, 5), QPoint(14, 10),
                            QPoint(10, 14), QPoint(5, 14), QPoint(1, 10), QPoint(1, 5)}));
    p.fillRect(4, 7, 8, 2, kPaper);
}

void drawCamera(QPainter& p) {
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(0x50, 0x50, 0x50));
    p.drawRect(1, 5, 10, 7);
    p.drawPolygon(QPolygon({QPoint(11, 7), QPoint(14, 5), QPoint(14, 12), QPoint(11, 10)}));
    p.setBrush(QColor(0x30, 0x80, 0xe0));
    p.drawEllipse(QPoint(6, 8), 2, 2);
}

void drawPicture(QPainter& p, GridPicture picture) {
    switch (picture) {
        case GridPicture::Stop:
            drawStop(p);
            break;
        case GridPicture::Check:
            drawBox(p, true);
            break;
        case GridPicture::Uncheck:
            drawBox(p, false);
            break;
        case GridPicture::Camera:
            drawCamera(p);
            break;
        case GridPicture::Disable:
            drawCamera(p);
            p.setPen(QPen(QColor(0xe0, 0, 0), 2));
            p.drawLine(1, 1, 14, 14);
            p.drawLine(14, 1, 1, 14);
            break;
        case GridPicture::MotionCamera:
            drawCamera(p);
            p.setPen(QPen(QColor(0, 0xa0, 0), 1));
            p.drawArc(QRect(8, 0, 6, 6), 0, 90 * 16);
            p.drawArc(QRect(6, -2, 10, 10), 0, 90 * 16);
            break;
    }
}

// White becomes transparent, as the pictures are drawn over the cell's background.
QImage withWhiteTransparent(const QImage& image) {
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if ((line[x] & 0xffffff) == 0xffffff) line[x] = 0;
    }
    return out;
}

}  // namespace

QImage gridPictureImage(GridPicture picture) {
    QImage image(kSide, kSide, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    drawPicture(p, picture);
    return image;
}

void drawGridPicture(QPainter& painter, const QRect& cell, GridPicture picture) {
    painter.fillRect(cell, painter.brush());
    const QImage image = withWhiteTransparent(gridPictureImage(picture));
    const QRect source(0, 0, qMin(cell.width(), image.width()),
                       qMin(cell.height(), image.height()));
    painter.drawImage(cell.topLeft(), image, source);
}

void stopCell(QPainter& painter, const QRect& cell) {
    drawGridPicture(painter, cell, GridPicture::Stop);
}

void checkCell(QPainter& painter, const QRect& cell, bool flag) {
    drawGridPicture(painter, cell, flag ? GridPicture::Check : GridPicture::Uncheck);
}

bool yesNoColumnCell(QPainter& painter, const QRect& cell, const QModelIndex& index) {
    const QAbstractItemModel* model = index.model();
    if (!model) return false;
    const QVariant kind = model->headerData(index.column(), Qt::Horizontal, FieldKindRole);
    if (kind.toInt() != static_cast<int>(FieldKind::YesNo) || !kind.isValid()) return false;
    checkCell(painter, cell, index.data(Qt::EditRole).toBool());
    return true;
}

bool cameraColumnCell(QPainter& painter, const QRect& cell, const QModelIndex& index) {
    const QVariant value = index.data(Qt::EditRole);
    if (value.typeId() != QMetaType::Int) return false;
    const int v = value.toInt();
    drawGridPicture(painter, cell,
                    v == -1  ? GridPicture::Disable
                    : v == 0 ? GridPicture::Camera
                             : GridPicture::MotionCamera);
    return true;
}

void YesNoCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    painter->save();
    painter->setBrush(selected ? option.palette.highlight() : option.palette.base());
    painter->setPen(Qt::NoPen);
    const bool drawn = yesNoColumnCell(*painter, option.rect, index);
    painter->restore();
    if (!drawn) QStyledItemDelegate::paint(painter, option, index);
}

}  // namespace tallyport
