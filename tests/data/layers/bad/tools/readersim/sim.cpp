#include "base/seam.h"
#include "store/data.h"
