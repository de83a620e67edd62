// A client whose server went away: it connects and signs on again by itself,
// and a write whose answer was lost is answered, not done twice.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <mutex>
#include <thread>

#include "platform/data/valuecodec.h"
#include "server_fixture.h"
#include "standins/appserver/tcp_transport.h"
#include "standins/appserver/wire_frame.h"

using namespace standin;
using namespace standin::testing;
using plat::Variant;

namespace {

bool ReadAll(int fd, char* buf, size_t n) {
    size_t got = 0;
    while (got < n) {
        ssize_t k = ::recv(fd, buf + got, n - got, 0);
        if (k <= 0) return false;
        got += (size_t)k;
    }
    return true;
}

Variant ReadFrame(int fd) {
    char h[4];
    if (!ReadAll(fd, h, 4)) return Variant();
    std::string payload(FrameLength(h), '\0');
    if (!ReadAll(fd, payload.data(), payload.size())) return Variant();
    return DecodeWireValue(payload);
}

void SendFrame(int fd, const Variant& v) {
    const std::string f = EncodeFrame(v);
    ASSERT_EQ(::send(fd, f.data(), f.size(), MSG_NOSIGNAL), (ssize_t)f.size());
}

int ConnectTo(int port) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    timeval limit{10, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons((uint16_t)port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, (sockaddr*)&a, sizeof a) != 0) ADD_FAILURE() << "cannot connect";
    return fd;
}

// What the client showed while its connection was down.
struct RecordingWatch : ConnectionWatch {
    std::mutex mutex;
    std::vector<std::string> seen;
    void Waiting(const std::string&, int attempt, int attempts) override {
        std::lock_guard lock(mutex);
        seen.push_back("waiting " + std::to_string(attempt) + "/" + std::to_string(attempts));
    }
    void Ended(const std::string&, bool restored) override {
        std::lock_guard lock(mutex);
        seen.push_back(restored ? "restored" : "gave up");
    }
    std::string LostText(const std::string& address) override { return "lost " + address; }
};

class Reconnect : public ::testing::Test {
  protected:
    Reconnect() {
        static int counter = 0;
        path_ = (std::filesystem::temp_directory_path() /
                 ("ktrb_reconnect_" + std::to_string(::getpid()) + "_" + std::to_string(counter++) +
                  ".db"))
                    .string();
        std::filesystem::remove(path_);
        SetConnectionWatch(watch);
        SetReconnectDelays({20, 50, 100});
        Start(0);
    }
    ~Reconnect() override {
        tcp.reset();
        server.reset();
        SetConnectionWatch(nullptr);
        SetReconnectDelays({200, 500, 1000, 2000, 3000});
        std::error_code ec;
        std::filesystem::remove(path_, ec);
    }
    void Start(int port) {
        server = AppServer::Open(path_);
        tcp = std::make_unique<TcpServer>(server, "127.0.0.1", port);
        tcp->Start();
    }
    void Restart() {
        const int port = tcp->Port();
        tcp.reset();
        server.reset();
        Start(port);
    }
    std::shared_ptr<RemoteAppServer> Client() {
        auto c = RemoteAppServer::Connect("127.0.0.1", tcp->Port());
        EXPECT_EQ(c->Call("Connect", Arr({"KTRB52", "ZHANGW", "DEMO", "DEMO", "True", "True"}))
                      .AsInteger(),
                  0);
        return c;
    }
    // A copy of a stored receipt header under a new number, as an insert.
    std::string InsertFrame(const std::string& id, const std::string& number) {
        auto c = Client();
        plat::IProvider* p = c->FindProvider("pvdMain");
        p->DataRequest(Arr({"MOCTH.TH002 = '20240112001'", ""}));
        plat::TDataPacket packet = p->GetRecords({});
        std::vector<Variant> values = packet.rows[0].values.Values();
        for (size_t i = 0; i < packet.fields.size(); ++i)
            if (packet.fields[i].name == "TH002") values[i] = number;
        plat::TDeltaRow row;
        row.id = 1;
        row.status = plat::TUpdateStatus::usInserted;
        row.newValues = plat::TValueRow(values);
        plat::TDelta delta{packet.fields, {row}};
        return EncodeFrame(
            Arr({"AS_ApplyUpdates", 0, Arr({"pvdMain", plat::EncodeDelta(delta), 0}), id}));
    }
    long long Count(const std::string& number) {
        return server->Db()
            .Scalar("SELECT COUNT(*) FROM MOCTH WHERE TH002 = ?1", {number})
            .AsInteger();
    }

    std::string path_;
    std::shared_ptr<RecordingWatch> watch = std::make_shared<RecordingWatch>();
    std::shared_ptr<AppServer> server;
    std::unique_ptr<TcpServer> tcp;
};

bool SignOn(int fd) {
    SendFrame(
        fd, Arr({"Connect", 0, Arr({Arr({"KTRB52", "ZHANGW", "DEMO", "DEMO", "True", "True"})})}));
    Variant reply = ReadFrame(fd);
    return reply.IsArray() && reply[0].AsInteger() == 0 && reply[1].AsInteger() == 0;
}

}  // namespace

// The save's answer was lost with the server: sent again with its id on a
// new connection to the restarted server, it gets the first answer and the
// receipt is stored once.
TEST_F(Reconnect, ARepeatedRequestIdGetsTheFirstAnswerAfterARestart) {
    const std::string frame = InsertFrame("clerk-1", "20240112991");
    int fd = ConnectTo(tcp->Port());
    ASSERT_TRUE(SignOn(fd));
    ASSERT_EQ(::send(fd, frame.data(), frame.size(), MSG_NOSIGNAL), (ssize_t)frame.size());
    Variant first = ReadFrame(fd);
    ::close(fd);
    ASSERT_EQ(first[0].AsInteger(), 0) << plat::VarToStr(first[2]);
    ASSERT_TRUE(plat::DecodeApplyReply(first[1].RawText()).committed);
    Restart();

    fd = ConnectTo(tcp->Port());
    ASSERT_TRUE(SignOn(fd));
    ASSERT_EQ(::send(fd, frame.data(), frame.size(), MSG_NOSIGNAL), (ssize_t)frame.size());
    Variant again = ReadFrame(fd);
    EXPECT_EQ(EncodeWireValue(again), EncodeWireValue(first));
    EXPECT_EQ(Count("20240112991"), 1);
    // The same save under a new id runs, and is refused: the number is taken.
    const std::string other = InsertFrame("clerk-2", "20240112991");
    ASSERT_EQ(::send(fd, other.data(), other.size(), MSG_NOSIGNAL), (ssize_t)other.size());
    Variant refused = ReadFrame(fd);
    ::close(fd);
    EXPECT_TRUE(refused[0].AsInteger() != 0 ||
                !plat::DecodeApplyReply(refused[1].RawText()).committed);
    EXPECT_EQ(Count("20240112991"), 1);
}

// Another user's request under the same id is that user's own.
TEST_F(Reconnect, RequestIdsBelongToTheirUser) {
    const std::string frame = InsertFrame("same-id", "20240112992");
    int fd = ConnectTo(tcp->Port());
    ASSERT_TRUE(SignOn(fd));
    ASSERT_EQ(::send(fd, frame.data(), frame.size(), MSG_NOSIGNAL), (ssize_t)frame.size());
    ReadFrame(fd);
    ::close(fd);
    fd = ConnectTo(tcp->Port());
    SendFrame(fd,
              Arr({"Connect", 0, Arr({Arr({"KTRB52", "LIMEI", "DEMO", "DEMO", "True", "True"})})}));
    ASSERT_EQ(ReadFrame(fd)[1].AsInteger(), 0);
    const std::string theirs = InsertFrame("same-id", "20240112993");
    ASSERT_EQ(::send(fd, theirs.data(), theirs.size(), MSG_NOSIGNAL), (ssize_t)theirs.size());
    ReadFrame(fd);
    ::close(fd);
    EXPECT_EQ(Count("20240112993"), 1);
}

TEST_F(Reconnect, AClientSignsOnAgainAfterTheServerRestarts) {
    auto c = Client();
    Restart();
    // A call that needs the sign-on goes through on the new connection.
    Variant rows = c->Call("GETCOUNTER", "SimpleSql",
                           Arr({"SELECT MB002 FROM $$INVMB WHERE MB001='D4001'", "MB002"}),
                           Arr({"DEMO", "DEMO"}));
    EXPECT_EQ(rows[0][0].AsString(), "硅胶密封圈");
    ASSERT_FALSE(watch->seen.empty());
    EXPECT_EQ(watch->seen.front(), "waiting 1/3");
    EXPECT_EQ(watch->seen.back(), "restored");
}

TEST_F(Reconnect, AServerThatStaysDownEndsTheCallWithTheWatchsTextAfterEveryAttempt) {
    auto c = Client();
    const std::string address = "127.0.0.1:" + std::to_string(tcp->Port());
    tcp.reset();
    try {
        c->Call("WhatIs", "SQLTYPE");
        ADD_FAILURE() << "no error";
    } catch (const plat::EOleSysError& e) {
        EXPECT_EQ(std::string(e.what()), "lost " + address);
    }
    EXPECT_EQ(watch->seen,
              (std::vector<std::string>{"waiting 1/3", "waiting 2/3", "waiting 3/3", "gave up"}));
}

// A call whose answer never came is sent again, after the sign-on, with the
// same request id; the next call has an id of its own.
TEST_F(Reconnect, ALostAnswerIsAskedAgainUnderTheSameRequestId) {
    int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(listener, (sockaddr*)&a, sizeof a), 0);
    ASSERT_EQ(::listen(listener, 4), 0);
    socklen_t len = sizeof a;
    getsockname(listener, (sockaddr*)&a, &len);
    std::vector<Variant> frames;
    std::thread fake([&] {
        auto answer = [](int fd, Variant result) { SendFrame(fd, Arr({0, result, Arr({})})); };
        int first = ::accept(listener, nullptr, nullptr);
        frames.push_back(ReadFrame(first));  // Connect
        answer(first, 0);
        frames.push_back(ReadFrame(first));  // the save: no answer, the line drops
        ::close(first);
        int second = ::accept(listener, nullptr, nullptr);
        for (int i = 0; i < 3; ++i) {
            frames.push_back(ReadFrame(second));
            answer(second, i == 1 ? Variant("saved") : Variant(0));
        }
        ::close(second);
    });
    {
        auto c = RemoteAppServer::Connect("127.0.0.1", ntohs(a.sin_port));
        EXPECT_EQ(c->Call("Connect", Arr({"KTRB52", "ZHANGW", "DEMO", "DEMO"})).AsInteger(), 0);
        EXPECT_EQ(plat::VarToStr(c->Call("AS_ApplyUpdates", "pvdMain", "delta", 0)), "saved");
        c->Call("WhatIs", "TODAY");
    }
    fake.join();
    ::close(listener);
    ASSERT_EQ(frames.size(), 5u);
    auto name = [&](size_t i) { return plat::VarToStr(frames[i][0]); };
    auto id = [&](size_t i) { return plat::VarToStr(frames[i][3]); };
    EXPECT_EQ(name(1), "AS_ApplyUpdates");
    EXPECT_EQ(name(2), "Connect");
    EXPECT_EQ(EncodeWireValue(frames[2][2]), EncodeWireValue(frames[0][2]))
        << "signed on as before";
    EXPECT_EQ(name(3), "AS_ApplyUpdates");
    EXPECT_FALSE(id(1).empty());
    EXPECT_EQ(id(3), id(1));
    EXPECT_NE(id(4), id(1));
}
