#include "dataframe/Connection.h"

#include <mutex>

#include "platform/core/text.h"

namespace ktrb {

using plat::Variant;

namespace {

std::mutex connectorMutex;
TSocketConnector& connectorSlot() {
    static TSocketConnector connector;
    return connector;
}

// A provider of a server object that is not itself a provider source: every
// call goes through the server's provider calls by name, with the packets
// in their byte encodings, so that it works the same over a network.
class TForwardedProvider : public plat::IProvider {
  public:
    TForwardedProvider(std::string name, plat::DispatchPtr server)
        : name_(std::move(name)), server_(std::move(server)) {}

    void SetServer(plat::DispatchPtr server) { server_ = std::move(server); }

    std::string Name() const override { return name_; }
    Variant DataRequest(const Variant& data) override {
        return server()->Call("AS_DataRequest", Variant(name_), data);
    }
    plat::TDataPacket GetRecords(const plat::TFetchRequest& request) override {
        Variant reply = server()->Call("AS_GetRecords", Variant(name_),
                                       Variant(plat::EncodeFetchRequest(request)));
        return plat::DecodePacket(plat::VarToStr(reply));
    }
    plat::TApplyReply ApplyUpdates(const plat::TDelta& delta, int maxErrors) override {
        Variant reply = server()->Call("AS_ApplyUpdates", Variant(name_),
                                       Variant(plat::EncodeDelta(delta)), Variant(maxErrors));
        return plat::DecodeApplyReply(plat::VarToStr(reply));
    }

  private:
    plat::Dispatch* server() const {
        if (!server_)
            throw ESocketConnectionError("The connection to the application server is closed");
        return server_.get();
    }

    std::string name_;
    plat::DispatchPtr server_;
};

}  // namespace

TSocketConnector SetSocketConnector(TSocketConnector connector) {
    std::lock_guard<std::mutex> lock(connectorMutex);
    TSocketConnector previous = std::move(connectorSlot());
    connectorSlot() = std::move(connector);
    return previous;
}

static TSocketConnector currentConnector() {
    std::lock_guard<std::mutex> lock(connectorMutex);
    return connectorSlot();
}

TSocketConnection::TSocketConnection(plat::TComponent* owner) : TComponent(owner) {}

TSocketConnection::~TSocketConnection() {
    BeginDestroy();
    SetObjectBroker(nullptr);
}

void TSocketConnection::SetAddress(const std::string& address) {
    if (address == address_) return;
    SetConnected(false);
    address_ = address;
}

void TSocketConnection::SetPort(int port) {
    if (port == port_) return;
    SetConnected(false);
    port_ = port;
}

void TSocketConnection::SetObjectBroker(TSimpleObjectBroker* broker) {
    if (broker == objectBroker_) return;
    if (objectBroker_) objectBroker_->RemoveFreeNotification(this);
    objectBroker_ = broker;
    if (objectBroker_) objectBroker_->FreeNotification(this);
}

void TSocketConnection::Notification(plat::TComponent* c, plat::TOperation op) {
    TComponent::Notification(c, op);
    if (op == plat::TOperation::opRemove && c == objectBroker_) objectBroker_ = nullptr;
}

void TSocketConnection::SetConnected(bool on) {
    if (on == Connected()) return;
    if (!on) {
        server_.reset();
        for (auto& [name, provider] : forwarded_)
            static_cast<TForwardedProvider*>(provider.get())->SetServer(nullptr);
        return;
    }
    if (plat::Trim(address_).empty())
        throw ESocketConnectionError("Cannot connect to the application server: no server address");
    TSocketConnector connector = currentConnector();
    if (!connector)
        throw ESocketConnectionError("Cannot connect to the application server at " + address_ +
                                     ":" + std::to_string(port_) +
                                     ": no network transport is installed");
    plat::DispatchPtr server = connector(address_, port_, ServerName);
    if (!server)
        throw ESocketConnectionError("The application server at " + address_ + ":" +
                                     std::to_string(port_) + " gave no server object");
    SetAppServer(std::move(server));
}

Variant TSocketConnection::AppServer() const {
    return server_ ? Variant(server_) : Variant();
}

void TSocketConnection::SetAppServer(plat::DispatchPtr server) {
    server_ = std::move(server);
    for (auto& [name, provider] : forwarded_)
        static_cast<TForwardedProvider*>(provider.get())->SetServer(server_);
}

plat::IProvider* TSocketConnection::FindProvider(const std::string& name) {
    if (!server_)
        throw ESocketConnectionError("The connection to the application server is closed");
    if (auto* source = dynamic_cast<plat::IProviderSource*>(server_.get()))
        return source->FindProvider(name);
    std::string key = plat::UpperCase(plat::Trim(name));
    auto it = forwarded_.find(key);
    if (it == forwarded_.end())
        it =
            forwarded_.emplace(key, std::make_unique<TForwardedProvider>(plat::Trim(name), server_))
                .first;
    return it->second.get();
}

}  // namespace ktrb
