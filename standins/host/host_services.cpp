#include "standins/host/host_services.h"

namespace standin {

std::shared_ptr<HostServices> MakeHostServices() {
    auto services = std::make_shared<HostServices>();
    services->messages = std::make_shared<MessageCatalogue>(MessageCatalogue::Bundled());
    services->sysParams = std::make_shared<SystemParameters>(SystemParameters::Bundled());
    services->programs = std::make_shared<ProgramMaster>(ProgramMaster::Bundled());
    std::weak_ptr<HostServices> weak = services;
    services->suite->messageText = [weak](const std::string& kind, const std::string& code) {
        auto s = weak.lock();
        return s && s->messages ? s->messages->Text(kind, code, s->language) : std::string();
    };
    return services;
}

}  // namespace standin
