#pragma once

#include <QSplashScreen>
#include <memory>

namespace tallyport {

// The borderless start-up picture, centred on the screen and painted at once.
std::unique_ptr<QSplashScreen> showSplash();

}  // namespace tallyport
