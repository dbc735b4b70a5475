#pragma once
// The time-depth model lives in src/base, below the readers that use it.

#include "base/DepthModel.h"
