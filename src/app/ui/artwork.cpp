#include "app/ui/artwork.h"

#include "version.h"

#include <QLinearGradient>
#include <QPainter>

namespace tallyport {
namespace {

const QColor kFace(0x1f, 0x4e, 0x79);
const QColor kCard(0xf2, 0xa9, 0x00);

// Clock face with one hand at `angle` degrees (0 = twelve o'clock), drawn in a unit box of
// `size` pixels, and a proximity card leaning on its lower right.
void paintEmblem(QPainter& p, int size, qreal angle) {
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    p.setPen(QPen(Qt::white, s / 16));
    p.setBrush(kFace);
    p.drawEllipse(QRectF(s * 0.04, s * 0.04, s * 0.78, s * 0.78));
    p.save();
    p.translate(s * 0.43, s * 0.43);
    p.rotate(angle);
    p.setPen(QPen(Qt::white, s / 12, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(0, 0), QPointF(0, -s * 0.28));
    p.restore();
    p.setPen(QPen(Qt::black, s / 32));
    p.setBrush(kCard);
    p.drawRoundedRect(QRectF(s * 0.50, s * 0.58, s * 0.46, s * 0.34), s / 16, s / 16);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(s * 0.56, s * 0.64, s * 0.12, s * 0.14));
}

QPixmap emblem(int size, qreal angle) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    paintEmblem(p, size, angle);
    return pm;
}

}  // namespace

QPixmap appPicture(int size) {
    return emblem(size, 60);
}

QIcon appIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128}) icon.addPixmap(appPicture(size));
    return icon;
}

std::vector<QIcon> trayFrames() {
    std::vector<QIcon> frames;
    for (qreal angle : {0.0, 90.0, 180.0, 270.0}) frames.emplace_back(emblem(32, angle));
    return frames;
}

QPixmap splashPicture() {
    QPixmap pm(420, 240);
    QPainter p(&pm);
    QLinearGradient bg(0, 0, 0, pm.height());
    bg.setColorAt(0, QColor(0x2b, 0x6c, 0xa8));
    bg.setColorAt(1, QColor(0x0e, 0x27, 0x3f));
    p.fillRect(pm.rect(), bg);
    p.save();
    p.translate(24, 60);
    paintEmblem(p, 120, 60);
    p.restore();
    p.setPen(Qt::white);
    QFont title(p.font());
    title.setPointSize(28);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRect(160, 70, 250, 50), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral(TALLYPORT_PRODUCT));
    QFont small(p.font());
    small.setPointSize(10);
    small.setBold(false);
    p.setFont(small);
    p.drawText(QRect(162, 120, 250, 24), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Time attendance and access control"));
    p.drawText(QRect(162, 144, 250, 24), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Version " TALLYPORT_VERSION));
    return pm;
}

}  // namespace tallyport
