// A higher layer using the one below it, as it may.
#pragma once
#include "low/low.h"
