#include "forms/UserDefINI.h"

#include "platform/core/exceptions.h"
#include "platform/core/text.h"
#include "platform/system/files.h"
#include "platform/system/inifile.h"
#include "platform/system/paths.h"
#include "runtime/MireltaINI.h"

namespace ktrb {

namespace {

const char* const kSection = "VoucherFormatDef";

std::string fileIn(const std::string& folder) {
    if (folder.empty()) return "";
    return plat::IncludeTrailingPathDelimiter(folder) + "UserDef.ini";
}

}  // namespace

TUserDefIni::TUserDefIni() : TUserDefIni(TMireltaIniC().ClientPath) {}

TUserDefIni::TUserDefIni(const std::string& folder) : fileName_(fileIn(folder)) {
    Load();
}

std::string TUserDefIni::keyOf(const std::string& program, const std::string& formatKey) {
    // An INI key cannot hold "=": the format key's are spelt out.
    return program + "_" + plat::StringReplace(formatKey, "=", "$EQUAL$", plat::ReplaceFlags::All);
}

void TUserDefIni::requireFile() const {
    if (fileName_.empty()) throw plat::EInOutError("UserDef.ini: no client folder");
}

void TUserDefIni::Load() {
    entries_.Clear();
    if (fileName_.empty() || !plat::FileExists(fileName_)) return;
    plat::TIniFile ini(fileName_);
    for (std::string& line : ini.ReadSectionValues(kSection)) entries_.Add(std::move(line));
}

void TUserDefIni::GetDefault(const std::string& program, const std::string& formatKey,
                             std::string& name) const {
    std::string key = keyOf(program, formatKey);
    name = entries_.IndexOfName(key) < 0 ? std::string(kNoVoucherFormat) : entries_.Values(key);
}

void TUserDefIni::SetDefault(const std::string& program, const std::string& formatKey,
                             const std::string& name) {
    requireFile();
    {
        plat::TIniFile ini(fileName_);
        if (plat::SameText(name, kNoVoucherFormat))
            ini.DeleteKey(kSection, keyOf(program, formatKey));
        else
            ini.WriteString(kSection, keyOf(program, formatKey), name);
    }
    Load();
}

void TUserDefIni::RemoveDefault(const std::string& program, const std::string& formatKey) {
    requireFile();
    plat::TIniFile ini(fileName_);
    ini.DeleteKey(kSection, keyOf(program, formatKey));
}

}  // namespace ktrb
