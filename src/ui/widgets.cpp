#include "ui/widgets.h"

#include "store/photo_picture.h"

#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTableView>

namespace tallyport {

QPushButton* namedButton(const QString& caption, const char* name, const QString& hint,
                         QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(hint);
    b->setAutoDefault(false);
    return b;
}

QHBoxLayout* buttonRow(std::initializer_list<QWidget*> left,
                       std::initializer_list<QWidget*> right) {
    auto* row = new QHBoxLayout;
    for (QWidget* w : left) row->addWidget(w);
    row->addStretch();
    for (QWidget* w : right) row->addWidget(w);
    return row;
}

void setUpReadOnlyGrid(QTableView* grid) {
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
}

QLabel* photoLabel(QWidget* parent, const QString& hint) {
    auto* label = new QLabel(parent);
    label->setObjectName(QStringLiteral("xphoto"));
    label->setToolTip(hint);
    label->setFixedSize(kCardPhotoWidth / 2, kCardPhotoHeight / 2);
    label->setScaledContents(true);
    label->setFrameShape(QFrame::Box);
    return label;
}

void showPicture(QLabel* label, const Picture& p) {
    if (p.isEmpty()) {
        label->clear();
        return;
    }
    const QImage image(p.data(), p.width(), p.height(), qsizetype(p.stride()),
                       QImage::Format_BGR888);
    label->setPixmap(QPixmap::fromImage(image));  // copies the bytes
}

}  // namespace tallyport
