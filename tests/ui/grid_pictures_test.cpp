#include "ui/grid_pictures.h"
#include "base/field_kind.h"

#include <gtest/gtest.h>
#include <QPainter>
#include <QStandardItemModel>

namespace tallyport::test {
namespace {

const QColor kGround(10, 200, 30);  // the brush the grid prepared, e.g. the selection colour
const QColor kOutside(1, 2, 3);

// A 60 x 60 surface of kOutside with one cell drawn at (10, 10).
template <typename Draw>
QImage drawCell(QSize cellSize, Draw draw) {
    QImage image(60, 60, QImage::Format_RGB32);
    image.fill(kOutside);
    QPainter p(&image);
    p.setBrush(kGround);
    draw(p, QRect(QPoint(10, 10), cellSize));
    return image;
}

bool isGround(const QImage& image, int x, int y) {
    return QColor(image.pixel(x, y)) == kGround;
}

TEST(GridPictures, CheckBoxShowsTheGroundWhereItIsWhite) {
    const QImage checked = drawCell({20, 20}, [](QPainter& p, QRect r) { checkCell(p, r, true); });
    const QImage empty = drawCell({20, 20}, [](QPainter& p, QRect r) { checkCell(p, r, false); });
    EXPECT_EQ(qGray(checked.pixel(11, 11)), 0);  // the box's corner
    EXPECT_EQ(qGray(empty.pixel(11, 11)), 0);
    EXPECT_LT(qGray(checked.pixel(16, 20)), 80);  // the tick
    EXPECT_TRUE(isGround(empty, 16, 20));         // no tick: the ground shows inside the box
    EXPECT_TRUE(isGround(checked, 13, 22));       // white inside the box is transparent
    EXPECT_TRUE(isGround(checked, 28, 28));       // a larger cell: the ground around the picture
    EXPECT_EQ(QColor(checked.pixel(9, 9)), kOutside);
    EXPECT_EQ(QColor(checked.pixel(30, 30)), kOutside);
}

TEST(GridPictures, SmallCellShowsTheTopLeftPartOnly) {
    const QImage small = drawCell({6, 6}, [](QPainter& p, QRect r) { stopCell(p, r); });
    EXPECT_EQ(QColor(small.pixel(16, 16)), kOutside);  // nothing beyond the cell
    EXPECT_EQ(QColor(small.pixel(16, 10)), kOutside);
    const QImage whole = drawCell({16, 16}, [](QPainter& p, QRect r) { stopCell(p, r); });
    EXPECT_GT(QColor(whole.pixel(14, 14)).red(), 150);  // the red sign, unscaled at the corner
    EXPECT_EQ(QColor(small.pixel(14, 14)), QColor(whole.pixel(14, 14)));
}

TEST(GridPictures, SixDistinctPictures) {
    const GridPicture all[] = {GridPicture::Stop,    GridPicture::Check,
                               GridPicture::Uncheck, GridPicture::Disable,
                               GridPicture::Camera,  GridPicture::MotionCamera};
    for (size_t i = 0; i < std::size(all); ++i)
        for (size_t j = i + 1; j < std::size(all); ++j)
            EXPECT_NE(gridPictureImage(all[i]), gridPictureImage(all[j])) << i << " " << j;
}

class YesNoModel : public QStandardItemModel {
public:
    using QStandardItemModel::QStandardItemModel;
    QVariant headerData(int section, Qt::Orientation o, int role) const override {
        if (role == FieldKindRole)
            return static_cast<int>(section == 0 ? FieldKind::YesNo : FieldKind::Other);
        return QStandardItemModel::headerData(section, o, role);
    }
};

TEST(GridPictures, ColumnCellsDrawOnlyTheirKindOfColumn) {
    YesNoModel model(1, 2);
    model.setData(model.index(0, 0), true);
    model.setData(model.index(0, 1), -1);
    bool drawn = true;
    const QImage other = drawCell(
        {20, 20}, [&](QPainter& p, QRect r) { drawn = yesNoColumnCell(p, r, model.index(0, 1)); });
    EXPECT_FALSE(drawn);
    EXPECT_EQ(QColor(other.pixel(15, 15)), kOutside);  // left to the grid's own drawing
    const QImage yes = drawCell(
        {20, 20}, [&](QPainter& p, QRect r) { drawn = yesNoColumnCell(p, r, model.index(0, 0)); });
    EXPECT_TRUE(drawn);
    EXPECT_EQ(yes, drawCell({20, 20}, [](QPainter& p, QRect r) { checkCell(p, r, true); }));

    struct Case {
        QVariant value;
        GridPicture picture;
    };
    for (const Case& c : {Case{-1, GridPicture::Disable}, Case{0, GridPicture::Camera},
                          Case{3, GridPicture::MotionCamera}}) {
        model.setData(model.index(0, 1), c.value);
        const QImage cam = drawCell({16, 16}, [&](QPainter& p, QRect r) {
            EXPECT_TRUE(cameraColumnCell(p, r, model.index(0, 1)));
        });
        EXPECT_EQ(cam, drawCell({16, 16},
                                [&](QPainter& p, QRect r) { drawGridPicture(p, r, c.picture); }));
    }
    model.setData(model.index(0, 1), QStringLiteral("text"));
    drawCell({16, 16}, [&](QPainter& p, QRect r) {
        EXPECT_FALSE(cameraColumnCell(p, r, model.index(0, 1)));
    });
}

}  // namespace
}  // namespace tallyport::test
