#pragma once
#include "app/console.h"
#include "base/seam.h"
