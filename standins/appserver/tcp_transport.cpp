#include "standins/appserver/tcp_transport.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <iostream>
#include <system_error>

#include "platform/automation/oleobject.h"
#include "platform/core/text.h"
#include "standins/appserver/request_log.h"
#include "standins/appserver/session.h"
#include "standins/appserver/wire_frame.h"

namespace standin {

using plat::Variant;
using plat::VarToStr;

namespace {

enum RequestKind { kMethod = 0, kGet = 1, kPut = 2, kHasMember = 3 };

bool SendAll(int fd, const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        sent += (size_t)n;
    }
    return true;
}

using Clock = std::chrono::steady_clock;

// False when the peer closed the connection before all bytes came, or (with
// a deadline) when they did not come in time.
bool RecvAll(int fd, char* buf, size_t size,
             Clock::time_point deadline = Clock::time_point::max()) {
    size_t got = 0;
    while (got < size) {
        if (deadline != Clock::time_point::max()) {
            auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) return false;
            pollfd p{fd, POLLIN, 0};
            int ready = ::poll(&p, 1, (int)std::min<int64_t>(left.count() + 1, INT32_MAX));
            if (ready < 0 && errno == EINTR) continue;
            if (ready <= 0) return false;
        }
        ssize_t n = ::recv(fd, buf + got, size - got, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        got += (size_t)n;
    }
    return true;
}

// A payload of `length` bytes, read in pieces: the memory grows with the
// bytes that came, not with what the length prefix claims.
bool RecvPayload(int fd, uint32_t length, std::string& out,
                 Clock::time_point deadline = Clock::time_point::max()) {
    constexpr size_t kPiece = 1 << 16;
    out.clear();
    while (out.size() < length) {
        size_t at = out.size(), n = std::min<size_t>(kPiece, length - at);
        out.resize(at + n);
        if (!RecvAll(fd, out.data() + at, n, deadline)) return false;
    }
    return true;
}

// Waits until `fd` has hung up or `time` has passed; false when it hung up.
bool StillThereAfter(int fd, std::chrono::milliseconds time) {
    const Clock::time_point end = Clock::now() + time;
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
        if (left.count() <= 0) return true;
        pollfd p{fd, POLLRDHUP, 0};
        int ready = ::poll(&p, 1, (int)std::min<int64_t>(left.count() + 1, INT32_MAX));
        if (ready < 0 && errno != EINTR) return false;
        if (ready > 0) return false;
    }
}

std::string PeerAddress(const sockaddr_storage& peer, socklen_t length) {
    char host[NI_MAXHOST] = "";
    if (getnameinfo((const sockaddr*)&peer, length, host, sizeof host, nullptr, 0,
                    NI_NUMERICHOST) != 0)
        return "?";
    return host;
}

// Dead peers are found within about a minute and a half, and a client that
// takes no reply does not hold its thread for ever.
void SetConnectionOptions(int fd, std::chrono::milliseconds sendTime) {
    int one = 1, idle = 60, interval = 10, count = 3;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &one, sizeof one);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &count, sizeof count);
    timeval limit{(time_t)(sendTime.count() / 1000), (suseconds_t)(sendTime.count() % 1000 * 1000)};
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
}

// The user a Connect request names, for counting failures.
std::string SignOnUser(const std::vector<Variant>& args) {
    if (args.empty()) return "";
    std::vector<Variant> p = ArrayItems(args[0]);
    return p.size() > 1 && !p[1].IsArray() ? plat::Trim(plat::VarToStr(p[1])) : "";
}

// True once the peer has closed or reset its end of the connection.
bool PeerClosed(int fd) {
    pollfd p{fd, POLLRDHUP, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
}

// accept() failures that pass: out of descriptors or memory for a while.
bool TransientAcceptError(int error) {
    return error == EMFILE || error == ENFILE || error == ENOBUFS || error == ENOMEM;
}

// Before a user has signed on: the sign-on itself, nothing else (look-ups
// neither: the module's look-up connection presents its sign-on too).
bool AnsweredBeforeSignOn(const std::string& name, int kind) {
    return kind == kMethod && plat::SameText(name, "Connect");
}

Variant ErrorReply(const std::string& cls, const std::string& message,
                   const std::string& member = "", int code = 0) {
    return plat::VarArrayOf({1, cls, message, member, code});
}

Variant ArgsArray(plat::DispArgs args) {
    std::vector<Variant> v(args.begin(), args.end());
    return Variant::ArrayOf(std::move(v));
}

// Provider calls of a remote connection, through the server object's AS_ members.
class RemoteProvider : public plat::IProvider {
  public:
    RemoteProvider(RemoteAppServer& server, std::string name)
        : server_(server), name_(std::move(name)) {}
    std::string Name() const override { return name_; }
    Variant DataRequest(const Variant& data) override {
        return server_.Call("AS_DataRequest", name_, data);
    }
    plat::TDataPacket GetRecords(const plat::TFetchRequest& request) override {
        return plat::DecodePacket(
            server_.Call("AS_GetRecords", name_, plat::EncodeFetchRequest(request)).RawText());
    }
    plat::TApplyReply ApplyUpdates(const plat::TDelta& delta, int maxErrors) override {
        return plat::DecodeApplyReply(
            server_.Call("AS_ApplyUpdates", name_, plat::EncodeDelta(delta), maxErrors).RawText());
    }

  private:
    RemoteAppServer& server_;
    std::string name_;
};

}  // namespace

TcpServer::TcpServer(std::shared_ptr<AppServer> server, const std::string& address, int port,
                     TcpLimits limits)
    : server_(std::move(server)),
      limits_(std::move(limits)),
      throttle_(limits_.signOn, limits_.log) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE;
    addrinfo* res = nullptr;
    std::string portText = std::to_string(port);
    int rc =
        getaddrinfo(address.empty() ? nullptr : address.c_str(), portText.c_str(), &hints, &res);
    if (rc != 0) throw ServerError("Cannot listen on " + address + ": " + gai_strerror(rc));
    std::string lastError = "no address";
    for (addrinfo* a = res; a; a = a->ai_next) {
        int fd = ::socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (fd < 0) continue;
        int one = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        if (::bind(fd, a->ai_addr, a->ai_addrlen) == 0 && ::listen(fd, 64) == 0) {
            listenFd_ = fd;
            break;
        }
        lastError = std::strerror(errno);
        ::close(fd);
    }
    freeaddrinfo(res);
    if (listenFd_ < 0)
        throw ServerError("Cannot listen on " + address + ":" + portText + ": " + lastError);
    sockaddr_storage bound{};
    socklen_t len = sizeof bound;
    getsockname(listenFd_, (sockaddr*)&bound, &len);
    port_ = ntohs(bound.ss_family == AF_INET6 ? ((sockaddr_in6*)&bound)->sin6_port
                                              : ((sockaddr_in*)&bound)->sin_port);
}

TcpServer::~TcpServer() {
    Stop();
}

void TcpServer::Log(const std::string& line) const {
    if (limits_.log)
        limits_.log(line);
    else
        std::cerr << "appserver: " << line << std::endl;
}

void TcpServer::Start() {
    reapThread_ = std::thread([this] { ReapLoop(); });
    acceptThread_ = std::thread([this] { AcceptLoop(); });
}

void TcpServer::Stop() {
    if (stopping_.exchange(true)) return;
    if (listenFd_ >= 0) ::shutdown(listenFd_, SHUT_RDWR);
    if (acceptThread_.joinable()) acceptThread_.join();
    if (listenFd_ >= 0) ::close(listenFd_);
    listenFd_ = -1;
    std::map<uint64_t, Client> clients;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto& [id, c] : clientList_)
            if (c.fd >= 0) ::shutdown(c.fd, SHUT_RDWR);
        clients.swap(clientList_);
    }
    finishedChanged_.notify_all();
    for (auto& [id, c] : clients) c.thread.join();
    if (reapThread_.joinable()) reapThread_.join();
}

void TcpServer::ReapLoop() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        finishedChanged_.wait(lock, [&] { return stopping_ || !finished_.empty(); });
        if (finished_.empty()) return;  // stopping: Stop joins the rest
        std::vector<std::thread> done;
        for (uint64_t id : finished_) {
            auto it = clientList_.find(id);
            if (it == clientList_.end()) continue;
            done.push_back(std::move(it->second.thread));
            clientList_.erase(it);
        }
        finished_.clear();
        lock.unlock();
        for (auto& t : done) t.join();
        lock.lock();
    }
}

void TcpServer::AcceptLoop() {
    while (!stopping_) {
        sockaddr_storage peer{};
        socklen_t peerLength = sizeof peer;
        int fd = ::accept4(listenFd_, (sockaddr*)&peer, &peerLength, SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            if (TransientAcceptError(errno)) {
                // The connection waits in the backlog until descriptors free up.
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                continue;
            }
            break;
        }
        SetConnectionOptions(fd, limits_.frameTime);
        const std::string address = PeerAddress(peer, peerLength);
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_) {
            ::close(fd);
            break;
        }
        std::string refusal;
        if (connections_ >= limits_.maxConnections)
            refusal = "The application server serves " + std::to_string(limits_.maxConnections) +
                      " connections already; try again later";
        else if (perAddress_[address] >= limits_.maxConnectionsPerAddress)
            refusal = "The application server serves " +
                      std::to_string(limits_.maxConnectionsPerAddress) +
                      " connections from this address already; try again later";
        if (!refusal.empty()) {
            Log("refused a connection from " + address + ": " + refusal);
            std::string frame = EncodeFrame(ErrorReply("ServerError", refusal));
            (void)!::send(fd, frame.data(), frame.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            ::close(fd);
            continue;
        }
        const uint64_t id = ++nextClient_;
        try {
            clientList_.emplace(id, Client{fd, address, std::thread([this, fd, address, id] {
                                               Serve(fd, address);
                                               std::lock_guard<std::mutex> done(mutex_);
                                               finished_.push_back(id);
                                               finishedChanged_.notify_one();
                                           })});
            ++perAddress_[address];
            ++connections_;
        } catch (const std::system_error&) {
            clientList_.erase(id);
            ::close(fd);  // no thread to serve it: the client sees the connection close
        }
    }
}

void TcpServer::Serve(int fd, const std::string& address) {
    ++clients_;
    std::shared_ptr<AppSession> session(server_->NewSession().release());
    session->SetClientGone([fd] { return PeerClosed(fd); });
    session->RequirePassword(true);
    const Clock::time_point connected = Clock::now();
    std::string payload;
    for (;;) {
        // Silence ends a connection: one that never signs on soon, a signed-on one later.
        const Clock::time_point quietUntil =
            session->Connected() ? Clock::now() + limits_.idleTime : connected + limits_.signOnTime;
        char header[4];
        if (!RecvAll(fd, header, 1, quietUntil)) break;  // the client left or stayed silent
        const Clock::time_point frameDue = Clock::now() + limits_.frameTime;
        if (!RecvAll(fd, header + 1, 3, frameDue)) break;
        uint32_t length;
        try {
            length = FrameLength(header, session->Connected() ? limits_.maxFrameSignedOn
                                                              : limits_.maxFrameBeforeSignOn);
        } catch (const CodecError& e) {
            // The stream cannot be followed past a bad length: answer and close.
            Log("closed the connection from " + address + ": " + e.what());
            SendAll(fd, EncodeFrame(ErrorReply("CodecError", e.what())));
            break;
        }
        // A client that leaves in the middle of a frame has sent nothing that runs.
        if (!RecvPayload(fd, length, payload, frameDue)) break;
        Variant reply;
        try {
            Variant request = DecodeWireValue(payload);
            if (!request.IsArray() || request.DimCount() != 1 ||
                (request.ArrayCount() != 3 && request.ArrayCount() != 4) ||
                !request[request.LowBound()].IsText())
                throw CodecError(
                    "Malformed request: [member name, kind, [args], request id] expected");
            int lo = request.LowBound();
            std::string name = request[lo].RawText();
            int kind = (int)plat::VarToIntDef(request[lo + 1], -1);
            std::vector<Variant> args = ArrayItems(request[lo + 2]);
            std::string requestId;
            if (request.ArrayCount() == 4) {
                const Variant& id = request[lo + 3];
                if (!id.IsEmptyOrNull() &&
                    (!id.IsText() || id.RawText().size() > kMaxRequestIdLength))
                    throw CodecError("Malformed request: the request id is not a short text");
                if (!id.IsEmptyOrNull()) requestId = id.RawText();
            }
            if (!session->Connected() && !AnsweredBeforeSignOn(name, kind))
                throw ServerError("Sign on first: only Connect is answered before it");
            if (kind != kMethod && kind != kGet && kind != kPut && kind != kHasMember)
                throw CodecError("Malformed request: unknown kind " + std::to_string(kind));
            if (kind == kHasMember) {
                reply = plat::VarArrayOf({0, session->HasMember(name), Variant::ArrayOf({})});
            } else if (plat::SameText(name, "Connect")) {
                const std::string user = SignOnUser(args);
                SignOnThrottle::Verdict v = throttle_.Admit(address, user);
                if (!v.refused.empty()) throw ServerError(v.refused);
                if (v.wait.count() > 0 && !StillThereAfter(fd, v.wait)) break;
                bool accepted = false;
                try {
                    Variant result = session->Invoke(name, (plat::DispatchKind)kind, args);
                    accepted = session->Connected();
                    reply = plat::VarArrayOf({0, result, Variant::ArrayOf(args)});
                } catch (...) {
                    throttle_.Record(address, user, false);
                    throw;
                }
                throttle_.Record(address, user, accepted);
            } else if (kind == kMethod && !requestId.empty() && session->Connected() &&
                       IsLoggedRequest(name, args)) {
                reply = RunLoggedRequest(
                    server_->Db(), plat::UpperCase(session->User()), requestId, [&] {
                        Variant result = session->Invoke(name, plat::DispatchKind::Method, args);
                        return plat::VarArrayOf({0, result, Variant::ArrayOf(args)});
                    });
            } else {
                Variant result = session->Invoke(name, (plat::DispatchKind)kind, args);
                reply = plat::VarArrayOf({0, result, Variant::ArrayOf(args)});
            }
        } catch (const plat::EOleSysError& e) {
            reply = ErrorReply(e.ClassName(), e.what(), "", e.ErrorCode());
        } catch (const plat::EOleException& e) {
            reply = ErrorReply(e.ClassName(), e.Description(), e.Member());
        } catch (const plat::Exception& e) {
            reply = ErrorReply(e.ClassName(), e.what());
        } catch (const std::exception& e) {
            reply = ErrorReply("Exception", e.what());
        }
        std::string frame;
        try {
            frame = EncodeFrame(reply);
        } catch (const CodecError& e) {
            frame = EncodeFrame(ErrorReply("CodecError", e.what()));
        }
        if (!SendAll(fd, frame)) break;
    }
    // The descriptor is closed under the lock, so Stop never shuts down a
    // number the system has given to another socket since.
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto& [id, c] : clientList_)
            if (c.fd == fd) c.fd = -1;
        ::close(fd);
        auto it = perAddress_.find(address);
        if (it != perAddress_.end() && --it->second == 0) perAddress_.erase(it);
        --connections_;
    }
    session.reset();
    server_->CloseThreadConnection();
    --clients_;
}

namespace {

std::mutex watchMutex;
std::shared_ptr<ConnectionWatch> currentWatch = std::make_shared<ConnectionWatch>();
std::vector<int> reconnectDelays = {200, 500, 1000, 2000, 3000};

std::shared_ptr<ConnectionWatch> Watch() {
    std::lock_guard<std::mutex> lock(watchMutex);
    return currentWatch;
}

std::vector<int> Delays() {
    std::lock_guard<std::mutex> lock(watchMutex);
    return reconnectDelays;
}

// A connected socket, or -1 with the reason in `error`.
int OpenSocket(const std::string& host, int port, std::string& error) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* res = nullptr;
    std::string portText = std::to_string(port);
    int rc = getaddrinfo(host.c_str(), portText.c_str(), &hints, &res);
    if (rc != 0) {
        error = gai_strerror(rc);
        return -1;
    }
    int fd = -1;
    error = "no address";
    for (addrinfo* a = res; a; a = a->ai_next) {
        fd = ::socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (fd < 0) continue;
        if (::connect(fd, a->ai_addr, a->ai_addrlen) == 0) break;
        error = std::strerror(errno);
        ::close(fd);
        fd = -1;
    }
    freeaddrinfo(res);
    if (fd >= 0) {
        int one = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    }
    return fd;
}

// A text that differs between clients and between runs of one client.
std::string NewClientTag() {
    static std::atomic<unsigned> counter{0};
    const auto now = std::chrono::system_clock::now().time_since_epoch().count();
    return std::to_string(::getpid()) + "." + std::to_string((long long)now) + "." +
           std::to_string(++counter);
}

}  // namespace

void ConnectionWatch::Waiting(const std::string&, int, int) {}

void ConnectionWatch::Ended(const std::string&, bool) {}

std::string ConnectionWatch::LostText(const std::string& address) {
    return "The application server at " + address + " cannot be reached";
}

void SetConnectionWatch(std::shared_ptr<ConnectionWatch> watch) {
    std::lock_guard<std::mutex> lock(watchMutex);
    currentWatch = watch ? std::move(watch) : std::make_shared<ConnectionWatch>();
}

void SetReconnectDelays(std::vector<int> milliseconds) {
    std::lock_guard<std::mutex> lock(watchMutex);
    reconnectDelays = std::move(milliseconds);
}

RemoteAppServer::RemoteAppServer(int fd, std::string host, int port)
    : fd_(fd),
      host_(std::move(host)),
      port_(port),
      address_(host_ + ":" + std::to_string(port)),
      clientTag_(NewClientTag()) {}

std::shared_ptr<RemoteAppServer> RemoteAppServer::Connect(const std::string& address, int port) {
    std::string error;
    int fd = OpenSocket(address, port, error);
    if (fd < 0)
        throw plat::EOleSysError(
            Watch()->LostText(address + ":" + std::to_string(port)) + " (" + error + ")", -1);
    return std::shared_ptr<RemoteAppServer>(new RemoteAppServer(fd, address, port));
}

RemoteAppServer::~RemoteAppServer() {
    Disconnect();
}

void RemoteAppServer::Disconnect() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    closed_ = true;
}

bool RemoteAppServer::TryExchange(const std::string& frame, Variant& reply) const {
    if (fd_ < 0 || !SendAll(fd_, frame)) return false;
    char header[4];
    std::string payload;
    if (!RecvAll(fd_, header, 4) || !RecvPayload(fd_, FrameLength(header), payload)) return false;
    reply = DecodeWireValue(payload);
    return true;
}

bool RemoteAppServer::Reconnect() const {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    auto watch = Watch();
    const std::vector<int> delays = Delays();
    const int attempts = (int)delays.size();
    for (int i = 0; i < attempts; ++i) {
        watch->Waiting(address_, i + 1, attempts);
        std::this_thread::sleep_for(std::chrono::milliseconds(std::max(0, delays[(size_t)i])));
        std::string error;
        fd_ = OpenSocket(host_, port_, error);
        if (fd_ < 0) continue;
        if (signOn_.IsEmpty()) {
            watch->Ended(address_, true);
            return true;
        }
        Variant answer;
        const std::string frame = EncodeFrame(
            plat::VarArrayOf({std::string("Connect"), (int)kMethod, signOn_, Variant()}));
        if (TryExchange(frame, answer) && answer.IsArray() && answer.ArrayCount() >= 2 &&
            answer[answer.LowBound()].AsInteger() == 0 &&
            plat::VarToIntDef(answer[answer.LowBound() + 1], -1) == 0) {
            watch->Ended(address_, true);
            return true;
        }
        // Reached but not signed on: the server refuses this user now, and
        // no later attempt changes that.
        ::close(fd_);
        fd_ = -1;
        break;
    }
    watch->Ended(address_, false);
    return false;
}

Variant RemoteAppServer::Exchange(const Variant& request) const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_) throw plat::EOleSysError("The connection to the application server is closed", -1);
    const std::string frame = EncodeFrame(request);
    Variant reply;
    // The request goes again, unchanged, on the new connection: a read is
    // answered anew, a write by its request id.
    if (TryExchange(frame, reply) || (Reconnect() && TryExchange(frame, reply))) return reply;
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    throw plat::EOleSysError(Watch()->LostText(address_), -1);
}

bool RemoteAppServer::HasMember(std::string_view name) const {
    Variant reply =
        Exchange(plat::VarArrayOf({std::string(name), (int)kHasMember, Variant::ArrayOf({})}));
    return reply.IsArray() && reply[0].AsInteger() == 0 && reply[1].AsBoolean();
}

Variant RemoteAppServer::DoInvoke(std::string_view name, plat::DispatchKind kind,
                                  plat::DispArgs args) {
    Variant id;
    if (kind == plat::DispatchKind::Method) id = clientTag_ + "-" + std::to_string(++nextRequest_);
    Variant sent = ArgsArray(args);
    Variant reply = Exchange(plat::VarArrayOf({std::string(name), (int)kind, sent, id}));
    if (!reply.IsArray() || reply.ArrayCount() < 3)
        throw CodecError("Malformed reply from the application server");
    if (reply[0].AsInteger() != 0) {
        std::string cls = VarToStr(reply[1]), message = VarToStr(reply[2]);
        std::string member = reply.ArrayCount() > 3 ? VarToStr(reply[3]) : std::string(name);
        if (cls == "EOleSysError")
            throw plat::EOleSysError(message, (int32_t)plat::VarToIntDef(reply[4], -1));
        if (cls == "EAbort") throw plat::EAbort(message);
        throw plat::EOleException(member.empty() ? std::string(name) : member, message,
                                  DispatchName());
    }
    // A new connection signs on as this one did.
    if (kind == plat::DispatchKind::Method && plat::SameText(name, "Connect") &&
        plat::VarToIntDef(reply[1], -1) == 0) {
        std::lock_guard<std::mutex> lock(mutex_);
        signOn_ = sent;
    }
    std::vector<Variant> back = ArrayItems(reply[2]);
    for (size_t i = 0; i < args.size() && i < back.size(); ++i) args[i] = back[i];
    return reply[1];
}

plat::IProvider* RemoteAppServer::FindProvider(const std::string& name) {
    std::string key = plat::UpperCase(plat::Trim(name));
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = providers_.find(key);
    if (it == providers_.end())
        it = providers_.emplace(key, std::make_unique<RemoteProvider>(*this, name)).first;
    return it->second.get();
}

plat::DispatchPtr ConnectAppServer(const std::string& address, int port) {
    if (address == "127.0.0.1") return plat::CreateOleObject("NevaQ22D.Class1");
    return RemoteAppServer::Connect(address, port);
}

}  // namespace standin
