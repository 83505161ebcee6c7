#include "version.h"

#include <cstdio>

int main() {
    std::printf("%s %s\n", TALLYPORT_PRODUCT, TALLYPORT_VERSION);
    return 0;
}
