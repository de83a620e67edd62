// The host's work-centre object ("BrannixCenter.Manager") and its
// sub-objects Com_Validator, Com_Dravoc and Com_Counter (the counter is also
// the suite's "TallikC.Class1"), as late-bound objects over HostServices.
//
// Work centre: DependencyVersion, ProductID, Language (CHS/ENG, the language
// of GetMessage), Connect, GetMessage(kind, code), ExecWork (job programs
// and print runs), CallHelp, Com_Validator, Com_Dravoc, Com_Counter.
// ExecWork(target, params, options, 2, out) starts a job program: 0, or the
// program's error code (-1 for a program the program master does not know).
// ExecWork(job, _, [6, 0, [direct, keys]], 0, out) prints the document by
// the job's report program into a PDF in the print folder and, unless
// printed directly, opens it through the desktop launcher; ExecWork(job, _,
// [11, 0, [keys, 1 JPG | 2 GIF, path, dpi, format]], 0, out) prints it into
// one picture per page (path + ".JPG"/".GIF", then path + "_0002" ...) and
// hands back in `out` the report object, whose Quit does nothing. Printing
// reads the document from the server's database.
#pragma once
#include <memory>
#include <vector>

#include "platform/automation/dispatch.h"
#include "platform/automation/oleobject.h"
#include "standins/host/host_services.h"

namespace standin {

std::shared_ptr<plat::Dispatch> CreateWorkCenter(std::shared_ptr<HostServices> services);
std::shared_ptr<plat::Dispatch> CreateValidator(std::shared_ptr<HostServices> services);
std::shared_ptr<plat::Dispatch> CreateCounter(std::shared_ptr<HostServices> services);
std::shared_ptr<plat::Dispatch> CreateDravoc(std::shared_ptr<HostServices> services);

// Registers "BrannixCenter.Manager", "TallikC.Class1" and every suite
// server over the services while the object lives (what was registered
// before comes back afterwards).
class HostRegistration {
  public:
    explicit HostRegistration(std::shared_ptr<HostServices> services);
    ~HostRegistration();
    HostRegistration(const HostRegistration&) = delete;
    HostRegistration& operator=(const HostRegistration&) = delete;

  private:
    std::vector<std::unique_ptr<plat::OleFactoryScope>> scopes_;
};

}  // namespace standin
