#pragma once
#include "reports/rules.h"
