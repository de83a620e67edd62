// An installation with chosen code pages, language packages written on
// demand and the alert log of the language routines read back.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "installation.h"
#include "runtime/Translator.h"

namespace ktrb::test {

class LanguageFixture : public ::testing::Test {
  protected:
    LanguageFixture() { SetCodePages("936", "936"); }

    // The client settings, and the server's alike.
    void SetCodePages(const std::string& ui, const std::string& db) {
        std::string ini = "[CodePage]\r\nUICodePage=" + ui + "\r\nDBCodePage=" + db +
                          "\r\n[Server Information]\r\nComputerName=127.0.0.1\r\n";
        Installation::write(inst.client() + "MireltaC.ini", ini);
        Installation::write(inst.server() + "MireltaS.ini", ini);
    }
    std::string PackageFile(const std::string& language, const std::string& package,
                            bool server = false) {
        return (server ? inst.server() : inst.client()) + "MultiLanguage/" + language + "/" +
               package + ".Lng";
    }
    void WritePackage(const std::string& language, const std::string& package,
                      const std::string& xml, bool server = false) {
        Installation::write(PackageFile(language, package, server), xml);
    }
    // The conversion tables of the demo client, loaded afresh.
    void UseDemoTable() {
        const char* env = std::getenv("KTRB_SOURCE_DIR");
        std::filesystem::path root =
            env && *env ? std::filesystem::path(env)
                        : std::filesystem::path(__FILE__).parent_path().parent_path().parent_path();
        std::filesystem::copy_file(root / "standins/data/client/Language",
                                   inst.client() + "Language",
                                   std::filesystem::copy_options::overwrite_existing);
        ReleaseLanguageTables();
    }
    // Every line of the alert logs whose name starts with `name`.
    std::string AlertLog(const std::string& name) {
        std::string all;
        std::filesystem::path folder = inst.client() + "Log";
        if (!std::filesystem::exists(folder)) return all;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            if (entry.path().filename().string().rfind("Alert_" + name + "_", 0) == 0)
                all += Installation::read(entry.path().string());
        return all;
    }

    Installation inst;
    EnvGuard acp{"KTRB_ANSI_CODEPAGE", std::string("936")};

    ~LanguageFixture() override { ReleaseLanguageTables(); }
};

}  // namespace ktrb::test
