#include "reports/ui/scope.h"
#include "staff/holders.h"
