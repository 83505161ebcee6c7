#pragma once
#include "staff/holders.h"
