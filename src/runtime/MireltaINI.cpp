#include "runtime/MireltaINI.h"

#include <cctype>

#include "platform/core/text.h"
#include "platform/system/files.h"
#include "platform/system/inifile.h"
#include "platform/system/paths.h"
#include "platform/system/registry.h"
#include "platform/system/system.h"
#include "runtime/LibStrs.h"
#include "runtime/TandrelU.h"

namespace ktrb {

namespace {

constexpr const char* kWorkSection = "WorkDLLPath";

// "1", "Y", "YES", "TRUE" in any case; blanks around make it false.
bool readFlag(const plat::TIniFile& ini, const char* section, const char* key, const char* def) {
    std::string v = plat::UpperCase(ini.ReadString(section, key, def));
    return v == "1" || v == "Y" || v == "YES" || v == "TRUE";
}

enum class CellKind { Text, Trimmed, Integer, Password };

struct DatabaseCell {
    int row, col;
    const char* section;
    const char* key;
    CellKind kind;
    const char* textDefault;
    int intDefault;
};

// The cells of TMireltaIniS::Databases, in reading order.
const DatabaseCell kDatabaseCells[] = {
    {0, 1, "DBE Setting", "MainUserName", CellKind::Text, "sa", 0},
    {0, 2, "DBE Setting", "XXXXXX", CellKind::Password, "", 0},
    {0, 0, "DBE Setting", "MainAlias", CellKind::Text, "Selmor", 0},
    {0, 3, "DBE Setting", "MainDBType", CellKind::Text, "MSSQL", 0},
    {0, 4, "DBE Setting", "MainDBName", CellKind::Text, "", 0},
    {0, 5, "DBE Setting", "MainServerName", CellKind::Text, "", 0},
    {0, 6, "DBE Setting", "MainConnectionTimeOut", CellKind::Integer, nullptr, 300},
    {0, 7, "DBE Setting", "MainCommandTimeOut", CellKind::Integer, nullptr, 3000},
    {1, 0, "DBE Setting", "TempAlias", CellKind::Text, "SelmorTemp", 0},
    {1, 1, "DBE Setting", "TempUserName", CellKind::Text, "sa", 0},
    {1, 2, "DBE Setting", "TempPassword", CellKind::Password, "", 0},
    {1, 3, "DBE Setting", "TempDBType", CellKind::Text, "PARADOX", 0},
    {1, 4, "DBE Setting", "TempDBName", CellKind::Text, "", 0},
    {1, 5, "DBE Setting", "TempDriverName", CellKind::Text, "PostgreSQL", 0},
    {1, 6, "DBE Setting", "TempConnectionTimeOut", CellKind::Integer, nullptr, 300},
    {1, 7, "DBE Setting", "TempCommandTimeOut", CellKind::Integer, nullptr, 3000},
    {2, 0, "DBPasswordCtrl", "ComputerName", CellKind::Trimmed, "", 0},
    {2, 1, "DBPasswordCtrl", "ServerPort", CellKind::Integer, nullptr, 211},
    {2, 2, "DBPasswordCtrl", "ClientSocketPort", CellKind::Integer, nullptr, 1024},
    {2, 3, "DBE Setting", "DataBaseCodeOrder", CellKind::Text, "Chinese_Taiwan_Stroke_BIN", 0},
    {3, 0, "DBE Setting", "EctAlias", CellKind::Text, "EDIDATA", 0},
    {3, 1, "DBE Setting", "EctUserName", CellKind::Text, "sa", 0},
    {3, 2, "DBE Setting", "EctPassword", CellKind::Text, "", 0},
};

plat::Variant readCell(const plat::TIniFile& ini, const DatabaseCell& c) {
    switch (c.kind) {
        case CellKind::Integer:
            return ini.ReadInteger(c.section, c.key, c.intDefault);
        case CellKind::Trimmed:
            return plat::Trim(ini.ReadString(c.section, c.key, c.textDefault));
        case CellKind::Password:
            return DecodePassword(ini.ReadString(c.section, c.key, c.textDefault));
        case CellKind::Text:
            break;
    }
    return ini.ReadString(c.section, c.key, c.textDefault);
}

bool hasDrive(const std::string& path) {
    return path.size() >= 2 && std::isalpha((unsigned char)path[0]) && path[1] == ':';
}

}  // namespace

std::string MakeAbsolutePath(const std::string& path, const std::string& base) {
    if (hasDrive(path)) return plat::NativePath(path);
    if (!path.empty() && plat::IsPathDelimiter(path[0]))
        return plat::NativePath(base + path.substr(1));
    return plat::NativePath(base + path);
}

// ---- Shared steps -----------------------------------------------------------

void TMireltaIni::computeModes() {
    if (UICodePage == "950")
        DisplayConvertMode = 2;
    else if (UICodePage == "936" && WindowsCodePage == "950")
        DisplayConvertMode = 4;
    else
        DisplayConvertMode = 0;
    if (UICodePage == "950" && DBCodePage == "936")
        DataConvertMode = 2;
    else if (UICodePage == "936" && DBCodePage == "950")
        DataConvertMode = 1;
    else
        DataConvertMode = 0;
}

bool TMireltaIni::begin(Side side, std::string& folder) {
    ErrorCode.clear();
    folder.clear();
    ProfilePath.clear();
    ProfileType = "0";
    UserName = "Default";
    DBCodePage = "936";
    WindowsCodePage = std::to_string(plat::GetACP());
    if (WindowsCodePage != "936" && WindowsCodePage != "950") WindowsCodePage = "437";
    UICodePage = WindowsCodePage;
    SupportCallBack = false;
    IniFileName.clear();
    computeModes();

    plat::TRegistry registry;
    registry.SetRootKey(plat::RegistryRoot::LocalMachine);
    if (!registry.OpenKeyReadOnly(kMireltaRegistryKey)) {
        ErrorCode = kErrorNoRegistryKey;
        return false;
    }
    folder = registry.ReadString(side == Side::Client ? "ClientPath" : "ServerPath");
    ProfileType = registry.ReadString("ProfileType");
    registry.CloseKey();
    if (folder.empty()) return false;
    folder = plat::IncludeTrailingPathDelimiter(folder);

    if (ProfileType.empty() || ProfileType == "0") {
        ProfilePath = folder;
    } else {
        UserName = plat::UserName();
        ProfilePath = folder + "Profile/" + UserName + "/";
    }
    const char* fileName = side == Side::Client ? "MireltaC.ini" : "MireltaS.ini";
    IniFileName = ProfilePath + fileName;
    if (!plat::FileExists(IniFileName)) {
        ProfilePath = folder;
        IniFileName = ProfilePath + fileName;
    }
    return true;
}

void TMireltaIni::resolveWorkPaths(const std::string& folder, const char* defaultFolder) {
    if (WorkDLLPaths.empty()) {
        WorkDLLPaths.push_back(folder + defaultFolder);
        return;
    }
    // Each "name=folder" line becomes its folder, absolute and ending with a
    // separator.
    for (std::string& line : WorkDLLPaths) {
        size_t eq = line.find('=');
        std::string path = eq == std::string::npos ? std::string() : line.substr(eq + 1);
        if (path.empty() || !plat::IsPathDelimiter(path.back())) path += plat::PathDelim;
        line = MakeAbsolutePath(path, folder);
    }
}

// ---- Client -----------------------------------------------------------------

TMireltaIniC::TMireltaIniC() {
    Load();
}

bool TMireltaIniC::Load() {
    if (!begin(Side::Client, ClientPath)) return false;
    {
        plat::TIniFile ini(IniFileName);
        LangType = ini.ReadString("Client Components", "LangType", "ENG");
        Version = ini.ReadString("ProductVersion", "Version", "");
        CreateGifBeforeSendSV = ini.ReadString("UserDefine", "CreateGifBeforeSendSV", "Y");
        UICodePage = ini.ReadString("CodePage", "UICodePage", WindowsCodePage);
        DBCodePage = ini.ReadString("CodePage", "DBCodePage", "936");
        SupportCallBack = readFlag(ini, "Server Information", "SupportCallBack", "0");
        std::string addresses =
            plat::Trim(ini.ReadString("Server Information", "ComputerName", "127.0.0.1"));
        int port = ini.ReadInteger("Server Information", "ServerPort", 211);
        WorkDLLPaths = ini.ReadSectionValues(kWorkSection);
        AutoCheckNewMsg = ini.ReadString("TaskMessageCenter Setting", "AutoCheckNewMsg", "1");
        CheckInterval = ini.ReadString("TaskMessageCenter Setting", "CheckInterval", "1");
        PopupMsg = ini.ReadString("TaskMessageCenter Setting", "PopupMsg", "1");
        LoginCheck = ini.ReadString("TaskMessageCenter Setting", "LoginCheck", "0");
        computeModes();

        if (!addresses.empty() && addresses.back() == ';') addresses.pop_back();
        if (addresses.empty()) {
            ErrorCode = kErrorNoServerAddress;
            return false;
        }
        // Split first, so the array is sized once.
        std::vector<std::string> list;
        for (size_t start = 0;;) {
            size_t semi = addresses.find(';', start);
            list.push_back(addresses.substr(start, semi - start));
            if (semi == std::string::npos) break;
            start = semi + 1;
        }
        Servers = plat::Variant::CreateArray({0, 1, 0, int(list.size()) - 1});
        for (size_t k = 0; k < list.size(); ++k) {
            Servers.At(0, int(k)) = std::move(list[k]);
            Servers.At(1, int(k)) = port;
        }
    }
    resolveWorkPaths(ClientPath, "C_PKG/");
    return true;
}

// ---- Server -----------------------------------------------------------------

TMireltaIniS::TMireltaIniS() {
    Load();
}

bool TMireltaIniS::Load() {
    if (!begin(Side::Server, ServerPath)) return false;
    plat::TIniFile ini(IniFileName);
    Version = ini.ReadString("ProductVersion", "Version", "");
    UICodePage = ini.ReadString("CodePage", "UICodePage", WindowsCodePage);
    DBCodePage = ini.ReadString("CodePage", "DBCodePage", "936");
    Databases = plat::Variant::CreateArray({0, 3, 0, 7});
    for (const DatabaseCell& c : kDatabaseCells) Databases.At(c.row, c.col) = readCell(ini, c);
    SystemControlAddress = ini.ReadString("DBE Setting", "SystemControlAddress", "");
    OtherSystemControlAddress = ini.ReadString("DBE Setting", "OtherSystemControlAddress", "");
    SupportCallBack = readFlag(ini, "DBPasswordCtrl", "SupportCallBack", "0");
    WorkDLLPaths = ini.ReadSectionValues(kWorkSection);

    std::string mainServer = Databases.At(0, 5).AsString();
    for (std::string* address : {&SystemControlAddress, &OtherSystemControlAddress})
        if (plat::Trim(*address).empty()) *address = mainServer;
    std::string dbType = Databases.At(0, 3).AsString();
    DBKind = plat::SameText(dbType, "ORACLE") ? 1 : plat::SameText(dbType, "DB2") ? 2 : 0;
    computeModes();
    resolveWorkPaths(ServerPath, "S_PKG/");
    return true;
}

}  // namespace ktrb
