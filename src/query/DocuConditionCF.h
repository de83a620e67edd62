// The small dialog that asks for the name of a query scheme being saved: it
// refuses a blank name and, when the user already has a scheme of that name
// for the program, asks whether to replace it.
#pragma once
#include <string>

#include "controls/QVForm.h"
#include "platform/core/variant.h"

namespace plat {
class TEdit;
class TButton;
}  // namespace plat

namespace ktrb {

class TBrokers;
class TDBLabel;

class TfrmDocuCondition : public TQVForm {
    PLAT_CLASS(TfrmDocuCondition, TQVForm)
  public:
    explicit TfrmDocuCondition(plat::TComponent* owner);

    TDBLabel* lblCondition;
    plat::TEdit* edConName;
    plat::TButton* btnOk;
    plat::TButton* btnCancel;

    TBrokers* Broker = nullptr;
    int OwnerDisplayMode = 0;
    int OwnerDataMode = 0;
    // The user agreed to replace an existing scheme of the name.
    bool Replace = false;

    void FormCreate(plat::TObject* sender);
    void FormShow(plat::TObject* sender);
    void btnOkClick(plat::TObject* sender);
    void FormKeyPress(plat::TObject* sender, char32_t& key);
};

// Asks for the name; [""] when cancelled, else [name as typed, replace].
void ShowDocuCondition(plat::TComponent* owner, plat::Variant& result);

}  // namespace ktrb
