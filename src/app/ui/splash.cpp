#include "app/ui/splash.h"

#include "app/ui/artwork.h"

#include <QApplication>

namespace tallyport {

std::unique_ptr<QSplashScreen> showSplash() {
    auto splash = std::make_unique<QSplashScreen>(splashPicture());
    splash->setObjectName(QStringLiteral("splash"));
    splash->show();
    QApplication::processEvents();  // nothing else runs yet: only the splash gets painted
    return splash;
}

}  // namespace tallyport
