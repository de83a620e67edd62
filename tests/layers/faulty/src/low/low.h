// A lower layer that reaches up and into the windows.
#pragma once
#include <QWidget>
#include <string>

#include "high/high.h"
