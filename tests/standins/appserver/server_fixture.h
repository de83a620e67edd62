// A demo server in memory with one signed-on session, for the tests.
#pragma once
#include <gtest/gtest.h>

#include "platform/core/text.h"
#include "standins/appserver/session.h"

namespace standin::testing {

inline plat::Variant Arr(std::initializer_list<plat::Variant> items) {
    return plat::VarArrayOf(items);
}

class ServerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        server = AppServer::Open(":memory:");
        session = server->NewSession();
        ASSERT_EQ(Connect(*session, "ZHANGW").AsInteger(), 0);
    }

    static plat::Variant Connect(AppSession& s, const std::string& user,
                                 const std::string& program = "KTRB52") {
        return s.Call("Connect", Arr({program, user, "DEMO", "DEMO", "True", "True"}));
    }

    plat::Variant Op(const std::string& name, plat::Variant args) {
        return session->CallOperation(name, args);
    }
    plat::Variant Sql(const std::string& sql) { return server->Db().Scalar(sql); }

    std::shared_ptr<AppServer> server;
    std::unique_ptr<AppSession> session;
};

}  // namespace standin::testing
