#include "store/data.h"
#include "base/seam.h"
