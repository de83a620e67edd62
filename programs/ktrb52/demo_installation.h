// The demo installation the host program runs the module in: a folder of the
// user's holding the registry stand-in file, the client folder (settings
// files, language packages, the "Language" table), the server folder and the
// demo database.
#pragma once
#include <string>

namespace standin {

struct DemoInstallation {
    std::string home;          // ends with "/"
    std::string registryFile;  // the registry stand-in (KTRB_REGISTRY)
    std::string clientFolder;  // ClientPath
    std::string serverFolder;  // ServerPath
    std::string databaseFile;  // the application server's SQLite file
    bool created = false;      // the database was made on this run
};

// $XDG_DATA_HOME/ktrb52/, else ~/.local/share/ktrb52/.
std::string DefaultInstallationHome();

// Makes what is missing: folders, registry file, the client folder's files
// copied from clientTemplate (files already there are left as the user has
// them), the server settings file and the demo database. Raises
// plat::EInOutError when a folder or file cannot be made.
DemoInstallation PrepareDemoInstallation(const std::string& home,
                                         const std::string& clientTemplate);

// Points the client settings at the application server: "127.0.0.1" means
// in-process.
void SetServerAddress(const DemoInstallation& inst, const std::string& address, int port);

}  // namespace standin
