// The application server over TCP: the `appserver` program listens, each
// client connection gets its own session, and a client reaches the server
// object and its providers through a proxy that speaks our framed variant
// encoding (wire_frame.h).
//
// Request frame: [member name, kind (0 method, 1 get, 2 put, 3 has member), [args]]
// Reply frame:   [0, result, [args as the callee left them]]
//             or [1, error class, message, member, error code]
#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/automation/dispatch.h"
#include "platform/data/provider.h"
#include "standins/appserver/server.h"
#include "standins/appserver/sign_on_throttle.h"

namespace standin {

// What one client may take of the server. Before sign-on a client may send
// only small frames; after it, frames as large as the largest real save
// (a new receipt of 100,000 lines is about 48 MB). Connections are capped
// per client address and in all, and end when they stay silent too long.
struct TcpLimits {
    size_t maxConnections = 256;
    size_t maxConnectionsPerAddress = 48;
    uint32_t maxFrameBeforeSignOn = 64u << 10;
    uint32_t maxFrameSignedOn = 96u << 20;
    // A connection that has not signed on this long after it came ends.
    std::chrono::milliseconds signOnTime{30 * 1000};
    // A signed-on connection with no request for this long ends.
    std::chrono::milliseconds idleTime{30 * 60 * 1000};
    // A frame begun must be whole, and a reply taken, within this.
    std::chrono::milliseconds frameTime{60 * 1000};
    SignOnThrottleOptions signOn;
    // Where the reasons of refusals and locks go (default: standard error).
    std::function<void(const std::string&)> log;
};

class TcpServer {
  public:
    // Binds at once; port 0 takes a free port (see Port()).
    TcpServer(std::shared_ptr<AppServer> server, const std::string& address, int port,
              TcpLimits limits = {});
    ~TcpServer();
    TcpServer(const TcpServer&) = delete;
    TcpServer& operator=(const TcpServer&) = delete;

    int Port() const { return port_; }
    void Start();  // serves in background threads
    void Stop();   // closes the listener and every connection, waits for the threads
    int ClientCount() const { return clients_.load(); }

  private:
    void AcceptLoop();
    void ReapLoop();  // joins the threads of clients that left, off the accept path
    void Serve(int fd, const std::string& address);
    void Log(const std::string& line) const;

    std::shared_ptr<AppServer> server_;
    TcpLimits limits_;
    SignOnThrottle throttle_;
    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<int> clients_{0};
    std::thread acceptThread_, reapThread_;
    std::mutex mutex_;
    std::condition_variable finishedChanged_;
    struct Client {
        int fd;
        std::string address;
        std::thread thread;
    };
    uint64_t nextClient_ = 0;
    std::map<uint64_t, Client> clientList_;
    // Connections being served (a finished thread may wait to be reaped), in all and by address.
    size_t connections_ = 0;
    std::map<std::string, size_t> perAddress_;
    std::vector<uint64_t> finished_;
};

// What a client shows while its connection is down. The transport knows no
// language and no window: the host program sets one for the whole process.
class ConnectionWatch {
  public:
    virtual ~ConnectionWatch() = default;
    // A new connection is tried (attempt 1..attempts) after a lost one.
    virtual void Waiting(const std::string& address, int attempt, int attempts);
    // The connection works again, or every attempt failed.
    virtual void Ended(const std::string& address, bool restored);
    // The text of the error a call raises when the server cannot be reached.
    virtual std::string LostText(const std::string& address);
};
void SetConnectionWatch(std::shared_ptr<ConnectionWatch> watch);
// The waits before each new connection attempt after a lost one (their count
// is the number of attempts).
void SetReconnectDelays(std::vector<int> milliseconds);

// The server object of a remote application server, with its providers.
// A call that finds the connection lost connects again (a bounded number of
// times), signs on again as the last accepted "Connect" did and sends the
// call once more. Each method call carries a request id, kept over its
// retries, so a write whose answer was lost is answered, not done again.
class RemoteAppServer : public plat::Dispatch, public plat::IProviderSource {
  public:
    // Raises plat::EOleSysError when the server cannot be reached.
    static std::shared_ptr<RemoteAppServer> Connect(const std::string& address, int port);
    ~RemoteAppServer() override;

    std::string DispatchName() const override { return "NevaQ22D.Class1 at " + address_; }
    bool HasMember(std::string_view name) const override;
    plat::IProvider* FindProvider(const std::string& name) override;
    void Disconnect();

  protected:
    plat::Variant DoInvoke(std::string_view name, plat::DispatchKind kind,
                           plat::DispArgs args) override;

  private:
    RemoteAppServer(int fd, std::string host, int port);
    plat::Variant Exchange(const plat::Variant& request) const;
    // One request and its reply on the open connection; false when the
    // connection broke on the way.
    bool TryExchange(const std::string& frame, plat::Variant& reply) const;
    bool Reconnect() const;  // with the mutex held

    mutable int fd_;
    bool closed_ = false;  // Disconnect was called: no reconnecting
    std::string host_;
    int port_;
    std::string address_;
    std::string clientTag_;  // makes this client's request ids its own
    mutable std::atomic<uint64_t> nextRequest_{0};
    plat::Variant signOn_;  // the arguments of the last accepted Connect
    mutable std::mutex mutex_;
    std::map<std::string, std::unique_ptr<plat::IProvider>> providers_;
};

// The server object of the client's configured address: in process (the
// registered "NevaQ22D.Class1") when the address is exactly "127.0.0.1",
// otherwise a connection to the `appserver` program at the address and port.
plat::DispatchPtr ConnectAppServer(const std::string& address, int port = 211);

}  // namespace standin
