#pragma once

#include <QIcon>
#include <QPixmap>
#include <vector>

namespace tallyport {

// The console's pictures, drawn at run time: a card in front of a clock face.
QPixmap appPicture(int size);
QIcon appIcon();
// The 32x32 frames of the notification-area animation: the clock's hand goes round.
std::vector<QIcon> trayFrames();
// The splash picture with the product name and version.
QPixmap splashPicture();

}  // namespace tallyport
