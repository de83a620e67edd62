#include "dataframe/knlBase.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>

#include "dataframe/knlRadical.h"
#include "platform/core/numbers.h"
#include "platform/core/text.h"
#include "platform/system/files.h"
#include "platform/system/inifile.h"
#include "platform/system/paths.h"
#include "runtime/LibStrs.h"
#include "runtime/MireltaINI.h"

namespace ktrb {

using plat::TDataSet;
using plat::TField;
using plat::Variant;

namespace {

std::mutex cursorMutex;
TBusyCursorHandler& cursorSlot() {
    static TBusyCursorHandler handler;
    return handler;
}
TBusyCursorHandler currentCursorHandler() {
    std::lock_guard<std::mutex> lock(cursorMutex);
    return cursorSlot();
}

constexpr const char* kBaseLog = "knlBase";

// Holds back the delete and scroll events of a data set.
class TDeleteEventsHeld {
  public:
    TDeleteEventsHeld(TDataSet* dataSet, bool on) : dataSet_(on ? dataSet : nullptr) {
        if (!dataSet_) return;
        std::swap(afterDelete_, dataSet_->AfterDelete);
        std::swap(afterScroll_, dataSet_->AfterScroll);
        std::swap(beforeDelete_, dataSet_->BeforeDelete);
        std::swap(beforeScroll_, dataSet_->BeforeScroll);
    }
    ~TDeleteEventsHeld() {
        if (!dataSet_) return;
        dataSet_->AfterDelete = afterDelete_;
        dataSet_->AfterScroll = afterScroll_;
        dataSet_->BeforeDelete = beforeDelete_;
        dataSet_->BeforeScroll = beforeScroll_;
    }
    TDeleteEventsHeld(const TDeleteEventsHeld&) = delete;
    TDeleteEventsHeld& operator=(const TDeleteEventsHeld&) = delete;

  private:
    TDataSet* dataSet_;
    plat::TDataSetNotifyEvent afterDelete_, afterScroll_, beforeDelete_, beforeScroll_;
};

TDataSet* detailOf(plat::TDataSetField* field) {
    return field->DetailDataSets().empty() ? field->NestedDataSet()
                                           : field->DetailDataSets().front();
}

void deleteNestedRows(TDataSet* dataSet, bool suspend) {
    for (TField* f : dataSet->Fields())
        if (auto* nested = dynamic_cast<plat::TDataSetField*>(f))
            DeleteAllRecords(detailOf(nested), true, suspend);
}

std::string layoutValue(const TField* f) {
    std::string value = std::to_string(f->Index()) + ";" + std::to_string(f->DisplayWidth());
    if (f->IsNumeric()) value += ";" + f->DisplayFormat();
    return value;
}

}  // namespace

TBusyCursorHandler SetBusyCursorHandler(TBusyCursorHandler handler) {
    std::lock_guard<std::mutex> lock(cursorMutex);
    TBusyCursorHandler previous = std::move(cursorSlot());
    cursorSlot() = std::move(handler);
    return previous;
}

TBusyCursor::TBusyCursor() {
    if (auto h = currentCursorHandler()) h(true);
}

TBusyCursor::~TBusyCursor() {
    if (auto h = currentCursorHandler()) h(false);
}

void DeleteAllRecords(TDataSet* dataSet, bool nested, bool suspend) {
    if (!dataSet || !dataSet->Active()) return;
    TDeleteEventsHeld held(dataSet, suspend);
    TControlsDisabled controls(dataSet);
    if (dataSet->DataSetField() && nested) {
        dataSet->Last();
        while (!dataSet->IsEmpty()) {
            deleteNestedRows(dataSet, suspend);
            dataSet->Delete();
            dataSet->Last();
        }
        return;
    }
    if (!dataSet->IsEmpty()) deleteNestedRows(dataSet, suspend);
}

namespace {

// The rows not fetched yet come in larger packets than a page of the list,
// each one still a bounded reply; the list's own page size comes back after.
constexpr int kRestPacket = 500;
struct RestPackets {
    plat::TClientDataSet* ds;
    int records;
    explicit RestPackets(plat::TClientDataSet* d) : ds(d), records(d->PacketRecords) {
        if (records >= 0) ds->PacketRecords = std::max(records, kRestPacket);
    }
    ~RestPackets() { ds->PacketRecords = records; }
    RestPackets(const RestPackets&) = delete;
    RestPackets& operator=(const RestPackets&) = delete;
    // Fetches one more packet; false when nothing more comes.
    bool More() {
        if (ds->AllFetched() || ds->DataSetField() || !ds->Provider()) return false;
        if (ds->GetNextPacket() > 0) return true;
        return !ds->AllFetched() && ++idle < 4;
    }
    int idle = 0;
};

}  // namespace

void FetchMoreOrLast(plat::TClientDataSet* dataSet) {
    if (!dataSet) return;
    if (!dataSet->AllFetched()) {
        TBusyCursor busy;
        RestPackets rest(dataSet);
        while (rest.More()) {
        }
    }
    dataSet->Last();
}

bool LocateFetching(plat::TClientDataSet* dataSet, const std::string& keyFields,
                    const Variant& keyValues) {
    if (!dataSet || !dataSet->Active()) return false;
    if (dataSet->Locate(keyFields, keyValues)) return true;
    TBusyCursor busy;
    RestPackets rest(dataSet);
    while (rest.More())
        if (dataSet->Locate(keyFields, keyValues)) return true;
    return false;
}

void OpenDataSetByCondition(plat::TClientDataSet* dataSet, const std::string& condition,
                            const Variant& second) {
    try {
        dataSet->Close();
        std::string where = plat::SameText(condition, "All") ? std::string() : condition;
        TBusyCursor busy;
        dataSet->DataRequest(plat::VarArrayOf({Variant::Wide(where), second}));
        dataSet->Open();
    } catch (const std::exception& e) {
        WriteAlertLog("knlBase-103", e.what(), "D");
        throw;
    }
}

void FetchNextPacketAtEnd(plat::TClientDataSet* dataSet, plat::TDataSource* source) {
    if (!dataSet || !dataSet->Eof() || dataSet->State() != plat::dsBrowse) return;
    TControlsDisabled controls(dataSet);
    plat::TNotifyEvent held;
    if (source) std::swap(held, source->OnStateChange);
    struct Restore {
        plat::TDataSource* source;
        plat::TNotifyEvent& held;
        ~Restore() {
            if (source) source->OnStateChange = held;
        }
    } restore{source, held};
    dataSet->GetNextPacket();
}

bool FindBlankField(TDataSet* dataSet, const std::string& list, TField*& field) {
    field = nullptr;
    if (!dataSet) return false;
    std::string rest = list;
    while (!rest.empty()) {
        std::string entry = CutToken(rest, ";");
        std::string names = entry;
        std::string owner = plat::Trim(CutToken(names, ":"));
        if (!plat::SameText(owner, dataSet->Name())) continue;
        while (!names.empty()) {
            TField* f = dataSet->FindField(plat::Trim(CutToken(names, ",")));
            if (f && f->Visible() && !f->ReadOnly() && f->IsDataField() &&
                plat::Trim(f->Text()).empty()) {
                field = f;
                return true;
            }
        }
        return false;
    }
    return false;
}

// ---- grid layout files ----

std::string GridLayoutFolder(const std::string& subDirectory) {
    std::string folder;
    {
        TMireltaIniC settings;
        std::string clientPath = settings.ClientPath;
        if (clientPath.empty()) {
            // No installation: keep layouts with the user's own settings.
            const char* home = std::getenv("HOME");
            clientPath = std::string(home ? home : ".") + "/.local/share/ktrb52/";
        }
        if (!settings.IniFileName.empty() && plat::FileExists(settings.IniFileName)) {
            plat::TIniFile ini(settings.IniFileName);
            folder = plat::Trim(ini.ReadString("Client Components", "GridViewDataPath", ""));
        }
        if (folder.empty()) folder = plat::IncludeTrailingPathDelimiter(clientPath) + "c_Data";
    }
    folder = plat::IncludeTrailingPathDelimiter(folder);
    if (!subDirectory.empty()) folder = plat::IncludeTrailingPathDelimiter(folder + subDirectory);
    return folder;
}

std::string GridLayoutSection(const TDataSet* dataSet, int gridIndex) {
    std::string section = dataSet->Name();
    if (gridIndex >= 0 && plat::Pos("CDSBODY", plat::UpperCase(section)) > 0)
        section += "_" + std::to_string(gridIndex);
    return section;
}

void LoadFieldLayout(const std::string& fileName, TDataSet* dataSet, int gridIndex) {
    if (!dataSet) return;
    std::string section = GridLayoutSection(dataSet, gridIndex);
    std::string bytes;
    if (!plat::TryReadFileBytes(fileName, bytes)) {
        WriteAlertLog(kBaseLog, "Grid layout " + fileName + " not loaded: the file cannot be read",
                      "D");
        return;
    }
    try {
        plat::TIniFile ini(fileName);
        int malformed = 0;
        for (const std::string& line : ini.ReadSectionValues(section)) {
            size_t eq = line.find('=');
            TField* f = dataSet->FindField(line.substr(0, eq));
            if (!f) continue;
            std::string rest = eq == std::string::npos ? std::string() : line.substr(eq + 1);
            int index = 0, width = 0;
            if (!plat::TryStrToInt(plat::Trim(CutToken(rest, ";")), index) ||
                !plat::TryStrToInt(plat::Trim(CutToken(rest, ";")), width) || width < 0) {
                ++malformed;
                continue;
            }
            f->SetDisplayWidth(width);
            if (f->IsNumeric() && !plat::Trim(rest).empty()) f->SetDisplayFormat(rest);
            f->SetIndex(index);
        }
        if (malformed)
            WriteAlertLog(kBaseLog,
                          "Grid layout " + fileName + " [" + section +
                              "]: " + std::to_string(malformed) + " malformed entries skipped",
                          "D");
    } catch (const std::exception& e) {
        WriteAlertLog(kBaseLog, "Grid layout " + fileName + " not loaded: " + e.what(), "D");
    }
}

void SaveFieldLayout(const std::string& fileName, TDataSet* dataSet, int gridIndex) {
    if (!dataSet) return;
    std::string section = GridLayoutSection(dataSet, gridIndex);
    plat::TIniFile ini(fileName);
    ini.EraseSection(section);
    for (TField* f : dataSet->Fields()) ini.WriteString(section, f->FieldName(), layoutValue(f));
}

void LoadGridLayout(const std::string& subDirectory, const std::string& baseName, TDataSet* dataSet,
                    int gridIndex) {
    std::string fileName = GridLayoutFolder(subDirectory) + baseName + kLayoutExtension;
    if (!subDirectory.empty() && !plat::FileExists(fileName))
        fileName = GridLayoutFolder() + baseName + kLayoutExtension;
    if (plat::FileExists(fileName)) LoadFieldLayout(fileName, dataSet, gridIndex);
}

void SaveGridLayout(const std::string& subDirectory, const std::string& baseName, TDataSet* dataSet,
                    int gridIndex) {
    std::string folder = GridLayoutFolder(subDirectory);
    if (!plat::DirectoryExists(folder)) plat::ForceDirectories(folder);
    SaveFieldLayout(folder + baseName + kLayoutExtension, dataSet, gridIndex);
}

}  // namespace ktrb
