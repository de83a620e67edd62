#include "support/receipt/ReceiptFormDouble.h"

#include <stdexcept>

namespace ktrb::test {

SessionKeys& SessionKeys::operator=(std::unique_ptr<plat::TStringList> list) {
    plat::TStringList& keys = form_.ReceiptModule().Session.InspectionKeys;
    keys.Clear();
    if (list) keys.Assign(*list);
    return *this;
}

plat::TStringList* SessionKeys::operator->() const {
    return &form_.ReceiptModule().Session.InspectionKeys;
}

ReceiptFormDouble::ReceiptFormDouble() {
    for (int i = 0; i <= 12; ++i) lookupTexts.push_back("L" + std::to_string(i));
}

ReceiptFormDouble::~ReceiptFormDouble() {
    BeginDestroy();
}

TdmKtrb52& ReceiptFormDouble::ReceiptModule() const {
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* dm = dynamic_cast<TdmKtrb52*>(Components(i))) return *dm;
    throw std::logic_error("the receipt form double owns no receipt module");
}

std::string ReceiptFormDouble::LookupTextLine(int index) const {
    return index >= 0 && index < (int)lookupTexts.size() ? lookupTexts[index] : std::string();
}

void ReceiptFormDouble::ReceiptViewChanged(const TKtrb52View& view, TKtrb52Part part,
                                           const std::string& editor) {
    switch (part) {
        case TKtrb52Part::InspectionEdit:
            inspectionEditReadOnly = view.InspectionEditReadOnly;
            break;
        case TKtrb52Part::MoneyButton:
            moneyButton = moneyButton && view.MoneyAllowed;
            break;
        case TKtrb52Part::BodyGrid:
            gridLocked = view.BodyGridLocked;
            break;
        case TKtrb52Part::QueryMenu:
            queryMenu = view.QueryMenuEnabled;
            break;
        case TKtrb52Part::ItemView:
            itemViewSource = view.ItemViewSource;
            break;
        case TKtrb52Part::TaxKind:
            taxKindEnabled = view.TaxKindEnabled;
            break;
        case TKtrb52Part::TaxRate:
            taxRateEnabled = view.TaxRateEnabled;
            break;
        case TKtrb52Part::ProjectEdit:
            projectEditLocks.push_back(view.ProjectEditLocked);
            break;
        case TKtrb52Part::EditorHint:
            hints[editor] = JoinLookupLines(view.EditorHints.at(editor),
                                            [this](int i) { return LookupTextLine(i); });
            break;
        case TKtrb52Part::EditorText:
            texts[editor] = view.EditorTexts.at(editor);
            break;
        case TKtrb52Part::F11Fields:
            f11Fields = view.F11Fields;
            break;
        case TKtrb52Part::AfterSave:
            autoConfirm = view.AutoConfirmAfterSave;
            printAfterSave = view.PrintAfterSave;
            break;
    }
}

}  // namespace ktrb::test
