// The database field classes a stored component tree can create by name.
#include "dataframe/FieldClasses.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/component/classes.h"

namespace ktrb::test {
namespace {

TEST(FieldClasses, TheTwentySixClassesAreCreatedByNameWhileRegistered) {
    ASSERT_EQ(DatabaseFieldClassNames().size(), 26u);
    RegisterDatabaseFieldClasses();
    plat::TComponent owner;
    for (const std::string& name : DatabaseFieldClassNames()) {
        plat::TComponent* c = plat::CreateComponent(name, &owner);
        ASSERT_NE(dynamic_cast<plat::TField*>(c), nullptr) << name;
        EXPECT_EQ(c->ClassName(), name);
    }
    UnregisterDatabaseFieldClasses();
    EXPECT_EQ(plat::GetClass("TStringField"), nullptr);
    EXPECT_THROW(plat::CreateComponent("TADTField", &owner), plat::EClassNotFound);
}

}  // namespace
}  // namespace ktrb::test
