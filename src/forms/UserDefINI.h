// This machine's default print format per program and format key, kept in
// "UserDef.ini" in the client folder. Made where needed, dropped right after.
#pragma once
#include <string>

#include "platform/core/stringlist.h"

namespace ktrb {

// What a missing default reads as, and the name that clears one.
inline constexpr const char* kNoVoucherFormat = "<New>";

class TUserDefIni {
  public:
    // The file of the client folder the installation names.
    TUserDefIni();
    // The file in the given folder ("" means no file: nothing is read and a
    // write raises).
    explicit TUserDefIni(const std::string& folder);

    const std::string& FileName() const { return fileName_; }
    // key=value for every key of the section, in file order.
    const plat::TStringList& Entries() const { return entries_; }

    void Load();
    void GetDefault(const std::string& program, const std::string& formatKey,
                    std::string& name) const;
    // "<New>" in any case removes the default. Raises when the file cannot be
    // written.
    void SetDefault(const std::string& program, const std::string& formatKey,
                    const std::string& name);
    // Leaves the loaded entries as they are.
    void RemoveDefault(const std::string& program, const std::string& formatKey);

  private:
    static std::string keyOf(const std::string& program, const std::string& formatKey);
    void requireFile() const;

    std::string fileName_;
    plat::TStringList entries_;
};

}  // namespace ktrb
