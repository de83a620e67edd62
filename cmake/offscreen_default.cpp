// Test programs draw offscreen unless the caller chose a platform.
#include <cstdlib>

namespace {
const int kOffscreenDefault = ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
}  // namespace
