// The host's lookup-window services behind Com_Dravoc: lookup window, date
// input, phrases, special characters and calculator. The work-centre object
// forwards its Com_Dravoc calls here; the host program's windows
// (standins/hostwin) implement them, tests answer from a script.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/core/variant.h"

namespace standin {

class IDravocService {
  public:
    virtual ~IDravocService() = default;
    // The lookup window for the request array (19 elements, see the broker);
    // the chosen rows as an array of row arrays, or Unassigned when nothing
    // was chosen. The request is passed by reference and may be changed.
    virtual plat::Variant F2GetData(plat::Variant& request) = 0;
    // Date input for [flag, date text "YYYYMMDD", sign-on key]; the chosen
    // date as "YYYYMMDD", or an empty text.
    virtual std::string ShowInputDay(const plat::Variant& args) = 0;
    // Phrase picker: writes the chosen phrase into text; negative when cancelled.
    virtual int GetPhrase2(const std::string& user, const std::string& company, int64_t handle,
                           std::string& text) = 0;
    // Special characters of a kind (by reference); the chosen text or Unassigned.
    virtual plat::Variant ShowCharaters(const std::string& user, const std::string& company,
                                        plat::Variant& kind, bool flag,
                                        const std::string& handle) = 0;
    // Calculator: the result as text; text (by reference) is the expression.
    virtual std::string GetCalcValue(std::string& text, int64_t handle) = 0;
};

}  // namespace standin
