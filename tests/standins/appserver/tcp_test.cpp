#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <mutex>
#include <thread>

#include "platform/automation/oleobject.h"
#include "platform/data/valuecodec.h"
#include "standins/appserver/tcp_transport.h"
#include "standins/appserver/wire_frame.h"
#include "tcp_fixture.h"

using namespace standin;
using namespace standin::testing;
using plat::Variant;

namespace {

// A raw connection, for sending what a well-behaved client never would.
class RawSocket {
  public:
    // connectNow false: the socket exists, the connection waits for Connect().
    // `from`: the loopback address the connection comes from.
    explicit RawSocket(int port, bool connectNow = true, const char* from = nullptr) : port_(port) {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        // A reply that never comes fails the test instead of hanging it.
        timeval limit{10, 0};
        setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        if (from) {
            sockaddr_in a{};
            a.sin_family = AF_INET;
            inet_pton(AF_INET, from, &a.sin_addr);
            if (::bind(fd_, (sockaddr*)&a, sizeof a) != 0) ADD_FAILURE() << "cannot bind " << from;
        }
        if (connectNow) Connect();
    }
    void Connect() {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons((uint16_t)port_);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd_, (sockaddr*)&a, sizeof a) != 0) ADD_FAILURE() << "cannot connect";
    }
    ~RawSocket() { Close(); }
    void Close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    void Send(const std::string& bytes) {
        ASSERT_EQ(::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL), (ssize_t)bytes.size());
    }
    Variant Reply() {
        char h[4];
        if (!Read(h, 4)) return Variant();
        std::string payload(FrameLength(h), '\0');
        if (!Read(payload.data(), payload.size())) return Variant();
        return DecodeWireValue(payload);
    }
    // Signs on as a demo user; true when accepted.
    bool SignOn(const std::string& user = "ZHANGW", const std::string& password = "DEMO") {
        return SignOnReply(user, password) == "0";
    }
    // "0" accepted, "1" refused, else the error the server gave.
    std::string SignOnReply(const std::string& user, const std::string& password) {
        Send(EncodeFrame(
            Arr({"Connect", 0, Arr({Arr({"KTRB52", user, "DEMO", password, "True", "True"})})})));
        Variant reply = Reply();
        if (!reply.IsArray()) return "no reply";
        return reply[0].AsInteger() == 0 ? plat::VarToStr(reply[1]) : plat::VarToStr(reply[2]);
    }
    bool ClosedByPeer() {
        char c;
        return ::recv(fd_, &c, 1, 0) == 0;
    }

  private:
    bool Read(char* buf, size_t n) {
        size_t got = 0;
        while (got < n) {
            ssize_t k = ::recv(fd_, buf + got, n - got, 0);
            if (k <= 0) return false;
            got += (size_t)k;
        }
        return true;
    }
    int port_;
    int fd_ = -1;
};

// Waits a bounded while for what another thread brings about.
template <class Condition>
bool Eventually(Condition done) {
    for (int i = 0; i < 1000 && !done(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return done();
}

long PeakResidentKb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

std::string Frame(const std::string& payload) {
    std::string f(4, '\0');
    uint32_t n = (uint32_t)payload.size();
    for (int i = 0; i < 4; ++i) f[(size_t)i] = (char)((n >> (8 * i)) & 0xff);
    return f + payload;
}

}  // namespace

class TcpTest : public TcpServerTest {
  protected:
    // The request frame that deletes a receipt, as the client would send it.
    static std::string DeleteReceiptFrame(RemoteAppServer& c, const std::string& number) {
        plat::IProvider* p = c.FindProvider("pvdMain");
        p->DataRequest(Arr({"MOCTH.TH002 = '" + number + "'", ""}));
        plat::TDataPacket packet = p->GetRecords({});
        plat::TDeltaRow row;
        row.id = 1;
        row.status = plat::TUpdateStatus::usDeleted;
        row.oldValues = packet.rows[0].values;
        plat::TDelta delta{packet.fields, {row}};
        return EncodeFrame(
            Arr({"AS_ApplyUpdates", 0, Arr({"pvdMain", plat::EncodeDelta(delta), 0})}));
    }
};

TEST_F(TcpTest, CallsProvidersAndWrittenBackArguments) {
    auto c = Client();
    EXPECT_EQ(c->Call("WhatIs", "SQLTYPE").AsInteger(), 0);
    EXPECT_TRUE(c->HasMember("SvrData"));
    EXPECT_FALSE(c->HasMember("NoSuchMember"));
    Variant rows = c->Call("GETCOUNTER", "SimpleSql",
                           Arr({"SELECT MB002 FROM $$INVMB WHERE MB001='D4001'", "MB002"}),
                           Arr({"DEMO", "DEMO"}));
    EXPECT_EQ(rows[0][0].AsString(), "硅胶密封圈");
    Variant result;
    EXPECT_TRUE(c->Call("CheckValue", "PURMA", "01", Arr({"S001"}), result).AsBoolean());
    EXPECT_EQ(result[0].AsString(), "精工五金");

    // The provider over the connection gives what the in-process one gives.
    plat::IProvider* remote = c->FindProvider("pvdMain");
    remote->DataRequest(Arr({"MOCTH.TH023 = 'Y'", ""}));
    plat::TDataPacket overTcp = remote->GetRecords({});
    auto local = server->NewSession();
    local->Call("Connect", Arr({"KTRB52", "ZHANGW", "DEMO", "DEMO", "True", "True"}));
    local->FindProvider("pvdMain")->DataRequest(Arr({"MOCTH.TH023 = 'Y'", ""}));
    EXPECT_EQ(overTcp, local->FindProvider("pvdMain")->GetRecords({}));
    EXPECT_EQ(overTcp.rows.size(), 2u);
    EXPECT_EQ(c->Call("GetRecCount").AsInteger(), 2);
}

TEST_F(TcpTest, ErrorsComeBackAndTheConnectionStaysUsable) {
    auto c = Client();
    EXPECT_THROW(c->Call("NoSuchMethod"), plat::EOleSysError);
    try {
        c->Call("GETCOUNTER", "SimpleSQL", Arr({"DELETE FROM MOCTI", ""}), Arr({}));
        FAIL();
    } catch (const plat::EOleException& e) {
        EXPECT_NE(e.Description().find("refused"), std::string::npos);
    }
    // A value that cannot travel is refused on this side.
    EXPECT_THROW(c->Call("WhatIs", Variant(plat::DispatchPtr(c))), plat::EOleError);
    EXPECT_EQ(c->Call("WhatIs", "SQLTYPE").AsInteger(), 0);
}

TEST_F(TcpTest, MalformedFramesGetAnErrorAndTheServerGoesOn) {
    RawSocket raw(tcp->Port());
    ASSERT_TRUE(raw.SignOn());
    raw.Send(Frame("\x7f garbage"));
    Variant reply = raw.Reply();
    ASSERT_TRUE(reply.IsArray());
    EXPECT_EQ(reply[0].AsInteger(), 1);
    EXPECT_EQ(reply[1].AsString(), "CodecError");
    // The same connection answers a good request next.
    raw.Send(EncodeFrame(Arr({"WhatIs", 0, Arr({"SQLTYPE"})})));
    reply = raw.Reply();
    EXPECT_EQ(reply[0].AsInteger(), 0);
    EXPECT_EQ(reply[1].AsInteger(), 0);
    // A well-formed value that is not a request.
    raw.Send(EncodeFrame(Variant("hello")));
    EXPECT_EQ(raw.Reply()[0].AsInteger(), 1);
    // A length that cannot be followed: answered, then the connection closes.
    raw.Send(std::string("\xff\xff\xff\x7f", 4));
    reply = raw.Reply();
    EXPECT_EQ(reply[1].AsString(), "CodecError");
    EXPECT_TRUE(raw.ClosedByPeer());
    // Other clients are still served.
    EXPECT_EQ(Client()->Call("WhatIs", "SQLTYPE").AsInteger(), 0);
}

TEST_F(TcpTest, AClientLeavingMidApplyCommitsNothing) {
    auto c = Client();
    const std::string frame = DeleteReceiptFrame(*c, "20240112001");
    {
        RawSocket raw(tcp->Port());
        raw.Send(frame.substr(0, frame.size() / 2));
    }  // gone before the frame was whole
    // Nothing ran; the server still answers.
    EXPECT_EQ(c->Call("WhatIs", "SQLTYPE").AsInteger(), 0);
    EXPECT_EQ(
        server->Db().Scalar("SELECT COUNT(*) FROM MOCTH WHERE TH002 = '20240112001'").AsInteger(),
        1);
    // The whole frame does run.
    RawSocket raw(tcp->Port());
    ASSERT_TRUE(raw.SignOn());
    raw.Send(frame);
    Variant reply = raw.Reply();
    ASSERT_EQ(reply[0].AsInteger(), 0) << plat::VarToStr(reply[2]);
    EXPECT_TRUE(plat::DecodeApplyReply(reply[1].RawText()).committed);
    EXPECT_EQ(
        server->Db().Scalar("SELECT COUNT(*) FROM MOCTH WHERE TH002 = '20240112001'").AsInteger(),
        0);
}

TEST_F(TcpTest, ManyClientsAtOnceEachWithItsOwnSession) {
    constexpr int kClients = 8;
    std::vector<std::thread> threads;
    std::vector<std::string> failures(kClients), numbers(kClients);
    // Each client stays until all have asked: a number offered to a client
    // that has left is given back.
    std::vector<std::shared_ptr<RemoteAppServer>> kept(kClients);
    for (int i = 0; i < kClients; ++i) {
        threads.emplace_back([&, i] {
            try {
                auto c = RemoteAppServer::Connect("127.0.0.1", tcp->Port());
                kept[(size_t)i] = c;
                c->Call("Connect",
                        Arr({"KTRB52", i % 2 ? "DS" : "ZHANGW", "DEMO", "DEMO", "True", "True"}));
                c->Call("SetTopRow", i % 4 + 1);
                for (int round = 0; round < 5; ++round) {
                    plat::IProvider* p = c->FindProvider("pvdMain");
                    p->DataRequest(Arr({"", ""}));
                    size_t n = p->GetRecords({}).rows.size();
                    int count = c->Call("GetRecCount").AsInteger();
                    if (n != (size_t)(i % 4 + 1) || count != i % 4 + 1)
                        failures[(size_t)i] =
                            "client " + std::to_string(i) + " saw " + std::to_string(n);
                }
                Variant number;
                c->Call("QueryMaxSeq", "MOCTH", "TH001,TH002", Arr({"5901", Variant()}), "20240401",
                        "KTRB52", "DEMO", number);
                numbers[(size_t)i] = number.AsString();
            } catch (const std::exception& e) {
                failures[(size_t)i] = e.what();
            }
        });
    }
    for (auto& t : threads) t.join();
    for (auto& f : failures) EXPECT_EQ(f, "");
    std::set<std::string> distinct(numbers.begin(), numbers.end());
    EXPECT_EQ(distinct.size(), (size_t)kClients);
}

TEST_F(TcpTest, OnlyTheExactLocalAddressIsInProcess) {
    RegisterAppServer(server);
    plat::DispatchPtr local = ConnectAppServer("127.0.0.1", tcp->Port());
    EXPECT_NE(dynamic_cast<AppSession*>(local.get()), nullptr);
    // 127.0.0.2 is another address: a socket connection is tried (and refused
    // here, the test server listens on 127.0.0.1 only).
    EXPECT_THROW(ConnectAppServer("127.0.0.2", tcp->Port()), plat::EOleSysError);
    plat::UnregisterOleFactory("NevaQ22D.Class1");
}

TEST_F(TcpTest, AClaimedLengthTakesNoMemoryUntilItsBytesCome) {
    long before = PeakResidentKb();
    {
        RawSocket raw(tcp->Port());
        ASSERT_TRUE(Eventually([&] { return tcp->ClientCount() == 1; }));
        std::string header(4, '\0');
        header[3] = '\x40';  // 1 GiB, the largest frame allowed
        raw.Send(header + "x");
    }  // and gone
    ASSERT_TRUE(Eventually([&] { return tcp->ClientCount() == 0; }));
    EXPECT_LT(PeakResidentKb() - before, 256 * 1024) << "kB more at the peak";
    EXPECT_EQ(Client()->Call("WhatIs", "SQLTYPE").AsInteger(), 0);
}

TEST_F(TcpTest, RunningOutOfDescriptorsOnlyDelaysNewClients) {
    RawSocket late(tcp->Port(), false);
    rlimit saved{};
    getrlimit(RLIMIT_NOFILE, &saved);
    int highest = 0;
    for (auto& e : std::filesystem::directory_iterator("/proc/self/fd"))
        highest = std::max(highest, std::stoi(e.path().filename().string()));
    rlimit tight = saved;
    tight.rlim_cur = (rlim_t)highest + 8;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &tight), 0);
    std::vector<int> filler;
    for (int fd; (fd = ::dup(0)) >= 0;) filler.push_back(fd);
    // A connection comes while the server can open no descriptor for it.
    late.Connect();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    for (int fd : filler) ::close(fd);
    setrlimit(RLIMIT_NOFILE, &saved);
    // Once there are descriptors again, that client and later ones are served.
    RawSocket later(tcp->Port());
    for (RawSocket* s : {&late, &later}) {
        ASSERT_TRUE(s->SignOn());
        s->Send(EncodeFrame(Arr({"WhatIs", 0, Arr({"SQLTYPE"})})));
        Variant reply = s->Reply();
        ASSERT_TRUE(reply.IsArray()) << "no reply";
        EXPECT_EQ(reply[0].AsInteger(), 0);
    }
}

TEST_F(TcpTest, SilentAndHalfSentClientsHoldUpNoOneAndStopEndsThem) {
    std::vector<std::unique_ptr<RawSocket>> idle;
    for (int i = 0; i < 32; ++i) {
        idle.push_back(std::make_unique<RawSocket>(tcp->Port()));
        if (i % 2)
            idle.back()->Send(std::string("\x10\0\0\0abc", 7));  // a frame begun, never finished
    }
    EXPECT_EQ(Client()->Call("WhatIs", "SQLTYPE").AsInteger(), 0);
    tcp->Stop();
    for (auto& s : idle) EXPECT_TRUE(s->ClosedByPeer());
}

TEST_F(TcpTest, AClientLeavingDuringItsApplyCommitsNothing) {
    auto c = Client();
    const std::string frame = DeleteReceiptFrame(*c, "20240112001");
    {
        // The apply waits for the database while its client sends the whole
        // request and leaves.
        std::lock_guard<std::recursive_mutex> busy(server->Db().Mutex());
        RawSocket raw(tcp->Port());
        ASSERT_TRUE(Eventually([&] { return tcp->ClientCount() == 2; }));
        raw.Send(EncodeFrame(
            Arr({"Connect", 0, Arr({Arr({"KTRB52", "ZHANGW", "DEMO", "DEMO", "True", "True"})})})));
        raw.Send(frame);
        raw.Close();
    }
    ASSERT_TRUE(Eventually([&] { return tcp->ClientCount() == 1; }));
    EXPECT_EQ(
        server->Db().Scalar("SELECT COUNT(*) FROM MOCTH WHERE TH002 = '20240112001'").AsInteger(),
        1);
}

TEST_F(TcpTest, NothingButTheSignOnRunsBeforeAUserHasSignedOn) {
    RawSocket raw(tcp->Port());
    const Variant before[] = {
        Arr({"GETCOUNTER", 0, Arr({"TransactionSQL", Arr({Arr({"DELETE FROM MOCTI"})})})}),
        Arr({"TransactionSQL", 0, Arr({Arr({Arr({"DELETE FROM MOCTI"})})})}),
        Arr({"AS_DataRequest", 0, Arr({"pvdMain", "All"})}),
        Arr({"WhatIs", 3, Arr({})}),
    };
    auto refused = [&](const Variant& request) {
        raw.Send(EncodeFrame(request));
        Variant reply = raw.Reply();
        return reply.IsArray() && reply[0].AsInteger() == 1;
    };
    for (const Variant& r : before) EXPECT_TRUE(refused(r)) << plat::VarToStr(r[0]);
    // A wrong password, or a user the table does not know, signs no one on.
    for (auto [user, password] :
         {std::pair{"ZHANGW", "demo"}, {"ZHANGW", ""}, {"NOBODY", "DEMO"}}) {
        raw.Send(EncodeFrame(
            Arr({"Connect", 0, Arr({Arr({"KTRB52", user, "DEMO", password, "True", "True"})})})));
        EXPECT_EQ(raw.Reply()[1].AsInteger(), 1) << user << " " << password;
        EXPECT_TRUE(refused(before[0]));
    }
    EXPECT_GT(server->Db().Scalar("SELECT COUNT(*) FROM MOCTI").AsInteger(), 0);
    ASSERT_TRUE(raw.SignOn());
    EXPECT_FALSE(refused(Arr({"WhatIs", 0, Arr({"SQLTYPE"})})));
}

TEST_F(TcpTest, ADeltaWithAnEmptyArrayAtTheBottomOfTheIntRangeIsRefused) {
    // The array's head: Variant elements, one dimension, lowest int bound, no elements.
    std::string array = {'\x0c', '\x0c', '\x01', '\xff', '\xff', '\xff', '\xff', '\x0f', '\x00'};
    std::string values;
    plat::codec::PutVarint(values, 1);
    plat::codec::PutText(values, array);
    std::string delta = std::string{'\xd2', 0, 1, 1, (char)plat::TUpdateStatus::usInserted, 0, 0} +
                        values + std::string{0, 0};
    ASSERT_LT(delta.size(), 49u);
    RawSocket raw(tcp->Port());
    ASSERT_TRUE(raw.SignOn());
    raw.Send(EncodeFrame(Arr({"AS_ApplyUpdates", 0, Arr({"pvdMain", delta, 0})})));
    Variant reply = raw.Reply();
    ASSERT_TRUE(reply.IsArray());
    EXPECT_EQ(reply[0].AsInteger(), 1);
    EXPECT_EQ(Client()->Call("WhatIs", "SQLTYPE").AsInteger(), 0);
}

// A server with limits small enough to reach in a test, and its log.
class TcpLimitsTest : public ::testing::Test {
  protected:
    void Serve(TcpLimits limits) {
        server = AppServer::Open(":memory:");
        limits.log = [this](const std::string& line) {
            std::lock_guard<std::mutex> lock(logMutex);
            log.push_back(line);
        };
        tcp = std::make_unique<TcpServer>(server, "127.0.0.1", 0, limits);
        tcp->Start();
    }
    void TearDown() override {
        if (tcp) tcp->Stop();
    }
    bool Logged(const std::string& part) {
        std::lock_guard<std::mutex> lock(logMutex);
        for (auto& line : log)
            if (line.find(part) != std::string::npos) return true;
        return false;
    }
    // The error a refused connection is told, or "" when it is served.
    static std::string Refusal(RawSocket& s) {
        Variant reply = s.Reply();
        return reply.IsArray() && reply[0].AsInteger() == 1 ? plat::VarToStr(reply[2]) : "";
    }

    std::shared_ptr<AppServer> server;
    std::unique_ptr<TcpServer> tcp;
    std::mutex logMutex;
    std::vector<std::string> log;
};

TEST_F(TcpLimitsTest, FailedSignOnsSlowDownThenLockWithALoggedReason) {
    TcpLimits limits;
    limits.signOn.freeFailures = 2;
    limits.signOn.firstDelay = std::chrono::milliseconds(40);
    limits.signOn.lockAfter = 5;
    Serve(limits);
    RawSocket guesser(tcp->Port());
    std::vector<std::chrono::steady_clock::time_point> sent, answered;
    for (int i = 0; i < 5; ++i) {
        sent.push_back(std::chrono::steady_clock::now());
        ASSERT_EQ(guesser.SignOnReply("ZHANGW", "guess" + std::to_string(i)), "1");
        answered.push_back(std::chrono::steady_clock::now());
    }
    // From the third try on, a try is answered no sooner than the delay after
    // the one before it was sent (and so failed); the delay doubles each time.
    auto gap = [&](int i) {
        return std::chrono::duration<double, std::milli>(answered[(size_t)i] - sent[(size_t)i - 1])
            .count();
    };
    EXPECT_GE(gap(2), 39);
    EXPECT_GE(gap(3), 79);
    EXPECT_GE(gap(4), 159);
    // Locked now: the right password is not even checked, for that user or from that address.
    EXPECT_NE(guesser.SignOnReply("ZHANGW", "DEMO").find("locked"), std::string::npos);
    RawSocket sameAddress(tcp->Port());
    EXPECT_NE(sameAddress.SignOnReply("LIMEI", "DEMO").find("locked"), std::string::npos);
    RawSocket elsewhere(tcp->Port(), true, "127.0.0.2");
    EXPECT_NE(elsewhere.SignOnReply("ZHANGW", "DEMO").find("locked"), std::string::npos);
    EXPECT_TRUE(Logged("of user \"ZHANGW\" locked"));
    EXPECT_TRUE(Logged("from address 127.0.0.1 locked"));
    // Another user from another address signs on at once.
    EXPECT_TRUE(elsewhere.SignOn("DS"));
}

TEST(SignOnThrottle, TriesOverManyConnectionsAtOnceAreSpacedNotBatched) {
    SignOnThrottleOptions o;
    o.freeFailures = 1;
    o.firstDelay = std::chrono::milliseconds(1000);
    o.maxDelay = std::chrono::milliseconds(2500);
    SignOnThrottle throttle(o, [](const std::string&) {});
    EXPECT_EQ(throttle.Admit("127.0.0.9", "DS").wait.count(), 0);
    throttle.Record("127.0.0.9", "DS", false);
    // Three tries arrive together: each gets its own later turn.
    auto a = throttle.Admit("127.0.0.9", "WANGQ"), b = throttle.Admit("127.0.0.9", "LIMEI");
    EXPECT_GT(a.wait.count(), 500);
    EXPECT_GE(b.wait.count(), a.wait.count() + 900);
    EXPECT_NE(throttle.Admit("127.0.0.9", "DS").refused, "");  // beyond the longest delay
    // A sign-on that succeeds clears its user, not the address it came from.
    throttle.Record("127.0.0.9", "DS", true);
    EXPECT_EQ(throttle.Admit("127.0.0.8", "DS").wait.count(), 0);
    EXPECT_NE(throttle.Admit("127.0.0.9", "WANGQ").wait.count() +
                  throttle.Admit("127.0.0.9", "WANGQ").refused.size(),
              0u);
}

TEST_F(TcpLimitsTest, AFrameIsSizedBeforeItIsReadSmallUntilSignOn) {
    TcpLimits limits;
    limits.maxFrameSignedOn = 1 << 20;
    Serve(limits);
    auto header = [](uint32_t n) {
        std::string h(4, '\0');
        for (int i = 0; i < 4; ++i) h[(size_t)i] = (char)((n >> (8 * i)) & 0xff);
        return h;
    };
    // Before sign-on: a frame of 64 KB is read, one byte more is refused on its header alone.
    RawSocket small(tcp->Port());
    std::string request = EncodeWireValue(Arr({"WhatIs", 0, Arr({std::string(65000, 'x')})}));
    request = EncodeWireValue(
        Arr({"WhatIs", 0, Arr({std::string(65000 + 65536 - request.size(), 'x')})}));
    ASSERT_EQ(request.size(), 65536u);
    small.Send(header(65536) + request);
    EXPECT_NE(Refusal(small).find("Sign on first"), std::string::npos);
    small.Send(header(65537));
    EXPECT_NE(Refusal(small).find("above the limit of 65536"), std::string::npos);
    EXPECT_TRUE(small.ClosedByPeer());
    // Signed on: larger frames up to the signed-on limit.
    RawSocket signedOn(tcp->Port());
    ASSERT_TRUE(signedOn.SignOn());
    signedOn.Send(EncodeFrame(Arr({"WhatIs", 0, Arr({std::string(500000, 'x')})})));
    EXPECT_NE(Refusal(signedOn).find("WhatIs knows"), std::string::npos);
    signedOn.Send(header((1 << 20) + 1));
    EXPECT_NE(Refusal(signedOn).find("above the limit"), std::string::npos);
    EXPECT_TRUE(signedOn.ClosedByPeer());
}

TEST_F(TcpLimitsTest, ConnectionsAreCappedPerAddressAndInAll) {
    TcpLimits limits;
    limits.maxConnectionsPerAddress = 3;
    limits.maxConnections = 5;
    Serve(limits);
    std::vector<std::unique_ptr<RawSocket>> held;
    auto hold = [&](const char* from) {
        held.push_back(std::make_unique<RawSocket>(tcp->Port(), true, from));
        return held.back()->SignOn();
    };
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(hold("127.0.0.1"));
    RawSocket fourthFromOne(tcp->Port(), true, "127.0.0.1");
    EXPECT_NE(Refusal(fourthFromOne).find("from this address"), std::string::npos);
    for (int i = 0; i < 2; ++i) ASSERT_TRUE(hold("127.0.0.2"));
    RawSocket sixthInAll(tcp->Port(), true, "127.0.0.3");
    EXPECT_NE(Refusal(sixthInAll).find("serves 5 connections"), std::string::npos);
    EXPECT_TRUE(Logged("refused a connection from 127.0.0.3"));
    // A place freed is taken again.
    held.front().reset();
    ASSERT_TRUE(Eventually([&] { return tcp->ClientCount() == 4; }));
    RawSocket again(tcp->Port(), true, "127.0.0.1");
    EXPECT_TRUE(again.SignOn());
}

TEST_F(TcpLimitsTest, SilentAndHalfSentConnectionsEnd) {
    TcpLimits limits;
    limits.signOnTime = std::chrono::milliseconds(150);
    limits.frameTime = std::chrono::milliseconds(150);
    limits.idleTime = std::chrono::milliseconds(400);
    Serve(limits);
    RawSocket neverSignsOn(tcp->Port()), halfSent(tcp->Port()), signedOn(tcp->Port());
    halfSent.Send(std::string("\x10\0\0\0abc", 7));
    ASSERT_TRUE(signedOn.SignOn());
    EXPECT_TRUE(neverSignsOn.ClosedByPeer());
    EXPECT_TRUE(halfSent.ClosedByPeer());
    // The signed-on one outlives the sign-on time, then ends when idle.
    signedOn.Send(EncodeFrame(Arr({"WhatIs", 0, Arr({"SQLTYPE"})})));
    EXPECT_EQ(signedOn.Reply()[0].AsInteger(), 0);
    EXPECT_TRUE(signedOn.ClosedByPeer());
    EXPECT_TRUE(Eventually([&] { return tcp->ClientCount() == 0; }));
}

TEST(TcpWriteTurns, ALongClientWriteIsRefusedAndASaveWaitsItsTurn) {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("ktrb_write_turns_" + std::to_string(::getpid()) + ".db"))
                                 .string();
    for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path + suffix);
    {
        auto server = AppServer::Open(path);
        server->SetWriteTimeLimit(std::chrono::milliseconds(300));
        server->SetBusyTimeout(std::chrono::milliseconds(5000));
        TcpServer tcp(server, "127.0.0.1", 0);
        tcp.Start();
        auto signedOn = [&] {
            auto c = RemoteAppServer::Connect("127.0.0.1", tcp.Port());
            c->Call("Connect", Arr({"KTRB52", "ZHANGW", "DEMO", "DEMO", "True", "True"}));
            return c;
        };
        auto writer = signedOn(), saver = signedOn();
        // A client cannot hold the write lock with a statement of its own.
        std::string writeError;
        try {
            writer->Call("GETCOUNTER", "TransactionSQL",
                         Arr({Arr({"UPDATE MOCTI SET TI040 = (WITH RECURSIVE c(x) AS (SELECT 1 "
                                   "UNION ALL SELECT x + 1 FROM c) SELECT COUNT(*) FROM c)"})}),
                         Variant());
        } catch (const plat::EOleException& e) {
            writeError = e.Description();
        }
        EXPECT_NE(writeError.find("refused"), std::string::npos) << writeError;

        plat::IProvider* p = saver->FindProvider("pvdMain");
        p->DataRequest(Arr({"MOCTH.TH002 = '20240112001'", ""}));
        plat::TDataPacket packet = p->GetRecords({});
        // Another writer holds the lock for a while; the save waits for it.
        Database other(path);
        other.Exec("BEGIN IMMEDIATE");
        std::thread release([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
            other.Exec("ROLLBACK");
        });
        plat::TDeltaRow row;
        row.id = 1;
        row.status = plat::TUpdateStatus::usDeleted;
        row.oldValues = packet.rows[0].values;
        plat::TApplyReply reply = p->ApplyUpdates(plat::TDelta{packet.fields, {row}}, 0);
        release.join();
        EXPECT_TRUE(reply.committed) << (reply.rows.empty() ? "" : reply.rows[0].message);
        tcp.Stop();
    }
    for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path + suffix);
}

TEST_F(TcpTest, AskingForANumberOverAndOverHoldsOneNumber) {
    auto ask = [](RemoteAppServer& c) {
        Variant number;
        c.Call("QueryMaxSeq", "MOCTH", "TH001,TH002", Arr({"5901", Variant()}), "20240401",
               "KTRB52", "DEMO", number);
        return number.AsString();
    };
    auto greedy = Client(), other = Client("DS");
    const std::string held = ask(*greedy);
    // The type numbers 999 documents a day: asking that often used them all up.
    for (int i = 0; i < 999; ++i) ASSERT_EQ(ask(*greedy), held);
    const std::string offered = ask(*other);
    EXPECT_NE(offered, held);
    // A client that leaves gives its number back.
    greedy->Disconnect();
    ASSERT_TRUE(Eventually([&] { return tcp->ClientCount() == 1; }));
    auto next = Client("LIMEI");
    EXPECT_EQ(ask(*next), held);
    // A document stored now takes a number no client is shown.
    const std::string stored = server->NextDocumentNumber("MOCTH", "5901", "20240401");
    EXPECT_NE(stored, held);
    EXPECT_NE(stored, offered);
}
