// Installation settings: the registry key naming the client and server
// folders, the client settings file "MireltaC.ini" and the server settings
// file "MireltaS.ini". A reader is created where a value is needed, reads
// everything in its constructor and is dropped right after; nothing is cached
// and nothing is written back.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/core/variant.h"

namespace ktrb {

// Under HKEY_LOCAL_MACHINE.
inline constexpr const char* kMireltaRegistryKey = "Software\\QRV\\Mirelta";

// Message references a reader leaves in ErrorCode.
inline constexpr const char* kErrorNoRegistryKey = "E;000015";
inline constexpr const char* kErrorNoServerAddress = "E;000016";

// A path with a drive part ("D:\Lib") stays as it is; "\Bin" and "Bin" go
// under `base`. The result has native separators.
std::string MakeAbsolutePath(const std::string& path, const std::string& base);

// What both readers share; the fields have the same rules in both.
class TMireltaIni {
  public:
    std::string ProfilePath;  // folder whose settings file was used
    std::string ProfileType = "0";
    std::string UserName = "Default";
    std::string UICodePage;  // "936", "950" or "437" in practice
    std::string DBCodePage = "936";
    std::string WindowsCodePage;     // "936", "950", else "437"
    uint8_t DisplayConvertMode = 0;  // 0, 2 (texts shown in Big5) or 4
    uint8_t DataConvertMode = 0;     // 0, 1 (Big5 to GB) or 2 (GB to Big5)
    bool SupportCallBack = false;
    std::string IniFileName;                // full name of the settings file that was read
    std::string ErrorCode;                  // "" or a message reference ("E;000015")
    std::vector<std::string> WorkDLLPaths;  // absolute, each ending with a separator
    std::string Version;

  protected:
    enum class Side { Client, Server };
    TMireltaIni() = default;
    // Steps shared by both readers: defaults, registry, profile folder and
    // file name. False when reading stops (ErrorCode tells why, if at all).
    bool begin(Side side, std::string& folder);
    void computeModes();
    // The [WorkDLLPath] lines, or the default package folder.
    void resolveWorkPaths(const std::string& folder, const char* defaultFolder);
};

// The client settings ("MireltaC.ini").
class TMireltaIniC : public TMireltaIni {
  public:
    TMireltaIniC();
    // Reads everything again; true when the whole file was read.
    bool Load();

    std::string ClientPath;  // ends with a separator once read
    // [0][k] address text, [1][k] port, one column k per address.
    plat::Variant Servers;
    std::string LangType;
    std::string CreateGifBeforeSendSV;
    std::string AutoCheckNewMsg;
    std::string CheckInterval;
    std::string PopupMsg;
    std::string LoginCheck;
};

// The server settings ("MireltaS.ini").
class TMireltaIniS : public TMireltaIni {
  public:
    TMireltaIniS();
    bool Load();

    std::string ServerPath;
    // 4 rows by 8 columns: main database, temporary database, password
    // control server with the collation, EDI database. The passwords of rows
    // 0 and 1 are deciphered; cells no key fills stay unassigned.
    plat::Variant Databases;
    uint8_t DBKind = 0;  // 0 other, 1 Oracle, 2 DB2
    std::string SystemControlAddress;
    std::string OtherSystemControlAddress;
};

}  // namespace ktrb
