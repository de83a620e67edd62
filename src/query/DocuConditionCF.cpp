#include "query/DocuConditionCF.h"

namespace ktrb {

TfrmDocuCondition::TfrmDocuCondition(plat::TComponent* owner) : TQVForm(owner) {}

void TfrmDocuCondition::FormCreate(plat::TObject*) {}
void TfrmDocuCondition::btnOkClick(plat::TObject*) {}
void TfrmDocuCondition::FormKeyPress(plat::TObject*, char32_t&) {}

void ShowDocuCondition(plat::TComponent*, plat::Variant& result) {
    result = plat::VarArrayOf({""});
}

}  // namespace ktrb
