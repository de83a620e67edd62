#include "programs/ktrb52/demo_installation.h"

#include <cstdlib>
#include <filesystem>

#include "platform/core/exceptions.h"
#include "platform/system/files.h"
#include "platform/system/inifile.h"
#include "platform/system/paths.h"

namespace standin {

namespace fs = std::filesystem;

namespace {

void makeFolder(const std::string& path) {
    std::error_code ec;
    fs::create_directories(path, ec);
    if (!fs::is_directory(path)) throw plat::EInOutError("Cannot create the folder " + path);
}

// Copies every file of the template that the target lacks.
void copyMissing(const fs::path& from, const fs::path& to) {
    if (!fs::is_directory(from))
        throw plat::EInOutError("The demo client folder is missing: " + from.string());
    for (const auto& entry : fs::recursive_directory_iterator(from)) {
        fs::path target = to / fs::relative(entry.path(), from);
        std::error_code ec;
        if (entry.is_directory()) {
            fs::create_directories(target, ec);
        } else if (!fs::exists(target)) {
            fs::create_directories(target.parent_path(), ec);
            fs::copy_file(entry.path(), target, ec);
            if (ec)
                throw plat::EInOutError("Cannot copy " + entry.path().string() + ": " +
                                        ec.message());
        }
    }
}

void writeIfMissing(const std::string& path, const std::string& text) {
    if (!plat::FileExists(path)) plat::WriteFileBytes(path, text);
}

}  // namespace

std::string DefaultInstallationHome() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
        return std::string(xdg) + "/ktrb52/";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : ".") + "/.local/share/ktrb52/";
}

DemoInstallation PrepareDemoInstallation(const std::string& home,
                                         const std::string& clientTemplate) {
    DemoInstallation inst;
    inst.home = plat::IncludeTrailingPathDelimiter(fs::absolute(home).lexically_normal().string());
    inst.registryFile = inst.home + "registry.txt";
    inst.clientFolder = inst.home + "client/";
    inst.serverFolder = inst.home + "server/";
    inst.databaseFile = inst.home + "data/ktrb52-demo.db";
    makeFolder(inst.clientFolder);
    // The exports and the sign-off pictures go into folders the
    // installation has; the module makes only the user's level below them.
    makeFolder(inst.clientFolder + "c_data");
    makeFolder(inst.clientFolder + "c_temp");
    makeFolder(inst.serverFolder);
    makeFolder(inst.home + "data");

    writeIfMissing(inst.registryFile,
                   "; The installation of the demo, as the module reads it from the registry.\n"
                   "[Software\\QRV\\Mirelta]\n"
                   "ClientPath=" +
                       inst.clientFolder +
                       "\n"
                       "ServerPath=" +
                       inst.serverFolder +
                       "\n"
                       "ProfileType=0\n"
                       "UseKBIG5=1\n");
    copyMissing(clientTemplate, inst.clientFolder);
    writeIfMissing(inst.serverFolder + "MireltaS.ini",
                   "[ProductVersion]\nVersion=9.0\n\n"
                   "[CodePage]\nUICodePage=936\nDBCodePage=936\n\n"
                   "[DBE Setting]\nMainAlias=Selmor\nMainDBType=SQLITE\n"
                   "MainDBName=" +
                       inst.databaseFile + "\n");
    inst.created = !plat::FileExists(inst.databaseFile);
    return inst;
}

void SetServerAddress(const DemoInstallation& inst, const std::string& address, int port) {
    plat::TIniFile ini(inst.clientFolder + "MireltaC.ini");
    ini.WriteString("Server Information", "ComputerName", address);
    ini.WriteInteger("Server Information", "ServerPort", port);
}

}  // namespace standin
