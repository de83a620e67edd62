// A demo server in memory served over TCP on a free loopback port, and
// clients signed on to it.
#pragma once
#include <gtest/gtest.h>

#include "server_fixture.h"
#include "standins/appserver/tcp_transport.h"

namespace standin::testing {

class TcpServerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        server = AppServer::Open(":memory:");
        tcp = std::make_unique<TcpServer>(server, "127.0.0.1", 0);
        tcp->Start();
    }
    void TearDown() override { tcp->Stop(); }

    // A client signed on as `user`; a refused sign-on fails the test.
    std::shared_ptr<RemoteAppServer> Client(const std::string& user = "ZHANGW") {
        auto c = RemoteAppServer::Connect("127.0.0.1", tcp->Port());
        EXPECT_EQ(
            c->Call("Connect", Arr({"KTRB52", user, "DEMO", "DEMO", "True", "True"})).AsInteger(),
            0)
            << user;
        return c;
    }

    std::shared_ptr<AppServer> server;
    std::unique_ptr<TcpServer> tcp;
};

}  // namespace standin::testing
