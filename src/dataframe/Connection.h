// The data modules' link to the application server and to the lookup server:
// a connection component that either holds a server object made in process
// (the address "127.0.0.1") or reaches the server over the network through
// the installed socket connector. The connection is also the remote server
// of the client data sets: it finds their providers by name on the server
// object. The grid library's data set and data source classes live here as
// well, since the data modules are built of them.
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/automation/dispatch.h"
#include "platform/component/component.h"
#include "platform/data/clientdataset.h"
#include "platform/data/datasource.h"
#include "platform/data/provider.h"

namespace ktrb {

inline constexpr int kDefaultServerPort = 211;

// A connection that could not be made (no address, no transport, refused).
class ESocketConnectionError : public plat::Exception {
  public:
    using plat::Exception::Exception;
    const char* ClassName() const override { return "ESocketConnectionError"; }
};

// Opens a network connection to an application server and gives the server
// object reached through it; raises when it cannot connect. The stand-in's
// network client installs one; without it every network connection fails.
using TSocketConnector = std::function<plat::DispatchPtr(const std::string& address, int port,
                                                         const std::string& serverName)>;
// Installs a connector and returns the one it replaces.
TSocketConnector SetSocketConnector(TSocketConnector connector);

class TSocketConnectorScope {
  public:
    explicit TSocketConnectorScope(TSocketConnector connector)
        : previous_(SetSocketConnector(std::move(connector))) {}
    ~TSocketConnectorScope() { SetSocketConnector(std::move(previous_)); }
    TSocketConnectorScope(const TSocketConnectorScope&) = delete;
    TSocketConnectorScope& operator=(const TSocketConnectorScope&) = delete;

  private:
    TSocketConnector previous_;
};

// The object broker a connection may use to pick among servers; the data
// modules never attach one.
class TSimpleObjectBroker : public plat::TComponent {
    PLAT_CLASS(TSimpleObjectBroker, TComponent)
  public:
    using TComponent::TComponent;
};

class TSocketConnection : public plat::TComponent, public plat::IProviderSource {
    PLAT_CLASS(TSocketConnection, TComponent)
  public:
    explicit TSocketConnection(plat::TComponent* owner = nullptr);
    ~TSocketConnection() override;

    // Changing the address or the port of an open connection closes it.
    const std::string& Address() const { return address_; }
    void SetAddress(const std::string& address);
    int Port() const { return port_; }
    void SetPort(int port);
    std::string ServerName;
    std::string ServerGUID;
    bool SupportCallbacks = true;
    TSimpleObjectBroker* ObjectBroker() const { return objectBroker_; }
    void SetObjectBroker(TSimpleObjectBroker* broker);

    bool Connected() const { return server_ != nullptr; }
    // Connecting goes over the network; raises ESocketConnectionError when
    // there is no address or no connection can be made.
    void SetConnected(bool on);
    void Open() { SetConnected(true); }
    void Close() { SetConnected(false); }

    // The server object (a dispatch variant); Unassigned while closed.
    plat::Variant AppServer() const;
    // Uses an object made in process as the server: the connection is open
    // without a socket.
    void SetAppServer(plat::DispatchPtr server);

    // Providers of the server object: its own when it is a provider source,
    // else forwarded through its provider calls by name.
    plat::IProvider* FindProvider(const std::string& name) override;

  protected:
    void Notification(plat::TComponent* c, plat::TOperation op) override;

  private:
    std::string address_;
    int port_ = kDefaultServerPort;
    TSimpleObjectBroker* objectBroker_ = nullptr;
    plat::DispatchPtr server_;
    std::map<std::string, std::unique_ptr<plat::IProvider>> forwarded_;
};

// The grid library's client data set: a client data set that the grid
// library's controls recognise.
class TwwClientDataSet : public plat::TClientDataSet {
    PLAT_CLASS(TwwClientDataSet, TClientDataSet)
  public:
    using TClientDataSet::TClientDataSet;
};

class TwwDataSource : public plat::TDataSource {
    PLAT_CLASS(TwwDataSource, TDataSource)
  public:
    using TDataSource::TDataSource;
};

}  // namespace ktrb
