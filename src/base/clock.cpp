#include "base/clock.h"

namespace tallyport {
namespace {
SystemClock g_system;
Clock* g_clock = &g_system;
}  // namespace

Clock& appClock() {
    return *g_clock;
}
void setAppClock(Clock* c) {
    g_clock = c ? c : &g_system;
}

}  // namespace tallyport
