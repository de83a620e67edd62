// The receipt form as the receipt data module sees it. The form layer lies
// above the rules, so the module reaches its owner form only through this
// interface, which the receipt's main form implements beside
// IDataModuleOwner; tests use a fake. The module keeps its own state
// (Ktrb52State.h): the form is only told when the view changed, and asked
// for what only it has.
#pragma once
#include <string>

#include "receipt/rules/Ktrb52State.h"

namespace plat {
class TClientDataSet;
}  // namespace plat

namespace ktrb {

class IKtrb52Owner {
  public:
    // A part of the module's view changed; `editor` names the line editor
    // for the per-editor parts and is empty otherwise.
    virtual void ReceiptViewChanged(const TKtrb52View& view, TKtrb52Part part,
                                    const std::string& editor) = 0;
    // The form's own copy of the serial numbers; null before start-up.
    virtual plat::TClientDataSet* SerialDataSet() = 0;
    // The next document number for the header's type and date ("unKnow"
    // when none can be given).
    virtual std::string AssignDocumentNumber() { return "unKnow"; }

  protected:
    ~IKtrb52Owner() = default;
};

}  // namespace ktrb
