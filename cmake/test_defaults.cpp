// Defaults every test program links.
#include <cstdlib>

// Test programs draw offscreen unless the caller chose a platform.
namespace {
const int kOffscreenDefault = ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
}  // namespace

// The application server hashes passwords at its cheapest cost in tests:
// nearly every test makes a demo database, and the full cost made up most
// of the suite's time. Programs people run never define this.
extern "C" {
extern const bool ktrb_test_light_password_hashes;
const bool ktrb_test_light_password_hashes = true;
}
