// The application server keeps its users' passwords in the module's own
// cipher; its copy of the routine must agree with the module's byte for byte.
#include <gtest/gtest.h>

#include "runtime/TandrelU.h"
#include "standins/appserver/sign_on.h"

TEST(SignOnCipher, TheServerAndTheModuleCipherAlike) {
    for (const char* plain : {"", "DEMO", "a", "Passw0rd!~", "口令中文", "\x7f\x01 z"})
        EXPECT_EQ(standin::CipherPassword(plain), ktrb::EncodePassword(plain)) << plain;
    EXPECT_EQ(standin::CipherPassword(standin::kDemoPassword), "2251a9f4");
}
