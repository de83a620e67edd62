// The module library: its one export GetController, and the start-up and
// shut-down of its units in their fixed order when the library is loaded
// and unloaded.
#include <array>

#include "dataframe/FieldClasses.h"
#include "forms/OleExcel.h"
#include "forms/XdgLauncher.h"
#include "query/SearchCF.h"
#include "receipt/forms/Ktrb52CF.h"
#include "runtime/Big5Fix.h"
#include "runtime/DLLBaseCtrller.h"
#include "runtime/DLLMTCtrller.h"
#include "runtime/Translator.h"

namespace {

struct UnitStep {
    void (*initialize)();
    void (*finalize)();
};

// Initialized in this order, finalized in the reverse one.
constexpr std::array<UnitStep, 6> kUnits = {{
    // The controller unit names the controller class GetController makes.
    {&ktrb::InitializeDLLMTCtrller, [] { ktrb::DLLControllerClass = nullptr; }},
    // A framework unit registers the database field classes by name, so
    // that stored component trees can create their fields.
    {&ktrb::RegisterDatabaseFieldClasses, &ktrb::UnregisterDatabaseFieldClasses},
    // Files and addresses open with the desktop's own program.
    {&ktrb::InstallXdgLauncher, &ktrb::RemoveXdgLauncher},
    // The spreadsheet component the data modules create by class name.
    {&ktrb::RegisterOleExcelClass, &ktrb::UnregisterOleExcelClass},
    // The lookup window the broker opens.
    {&ktrb::RegisterSearchWindow, &ktrb::UnregisterSearchWindow},
    // Under code page 950 the code-page unit maps the site-defined Big5
    // characters, and undoes it on unload.
    {&ktrb::InstallBig5Fix,
     [] {
         ktrb::RemoveBig5Fix();
         ktrb::ReleaseLanguageTables();
     }},
}};

class Library {
  public:
    Library() {
        for (const UnitStep& unit : kUnits) unit.initialize();
        // The main block names the main form class the controller opens.
        ktrb::frmRadicalClass = &ktrb::TfrmKtrb52::Create;
    }
    ~Library() {
        for (auto it = kUnits.rbegin(); it != kUnits.rend(); ++it) it->finalize();
    }
};

const Library library;

}  // namespace

extern "C" __attribute__((visibility("default"))) ktrb::TDLLBaseController* GetController() {
    return ktrb::CreateRegisteredController();
}
