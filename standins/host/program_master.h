// The host's program-master records (host/programs.tsv): the receipt
// program and the programs it opens.
#pragma once
#include <string>
#include <vector>

#include "platform/core/variant.h"

namespace standin {

struct ProgramRecord {
    std::string code;         // MB001
    std::string name;         // MB002
    std::string englishName;  // MB011
    std::string flag12;       // MB012
    std::string flag13;       // MB013
    std::string reportProgram;
    std::string txnValue1, txnValue2;    // transaction server class and program
    std::string value4, value5, value6;  // kept for the forms (sign-off prefix, image type)
    std::string programFlag;             // "Y": sent to the server on connect
    std::string kind;                    // "W", "E", "Z" or empty
    int startResult = 0;                 // what a start request answers: 0, or -1..-7
};

class ProgramMaster {
  public:
    // Raises plat::EInOutError for a missing or malformed file.
    static ProgramMaster Load(const std::string& path);
    static const ProgramMaster& Bundled();

    // By code, ignoring case and surrounding blanks; null when unknown.
    const ProgramRecord* Find(const std::string& code) const;
    const std::vector<ProgramRecord>& Records() const { return records_; }
    void Put(ProgramRecord record);  // adds or replaces by code

    // The validator's answer to ADMMB "06": [name, report program, txn value
    // 1, txn value 2, value 4, value 5, value 6, flag, kind, English name].
    static plat::Variant ValidatorRow(const ProgramRecord& r);

  private:
    std::vector<ProgramRecord> records_;
};

}  // namespace standin
