#include "receipt/rules/Ktrb52CD.h"

#include <utility>

#include "platform/core/text.h"
#include "receipt/rules/FieldCodes.h"
#include "runtime/LibStrs.h"

namespace ktrb {

using plat::TField;
using plat::Variant;

namespace {

// The receipt side of an owner that is not a receipt form: the view is
// nobody's, there is no serial copy and no numbering.
class TNoReceiptForm final : public IKtrb52Owner {
  public:
    void ReceiptViewChanged(const TKtrb52View&, TKtrb52Part, const std::string&) override {}
    plat::TClientDataSet* SerialDataSet() override { return nullptr; }
};

}  // namespace

std::string SqlText(const std::string& value) {
    return plat::QuotedStr(value, '\'');
}

TdmKtrb52::TdmKtrb52(plat::TComponent* owner) : TdmDouble(owner) {
    createDataSets();
    bindHandlers();
}

TdmKtrb52::~TdmKtrb52() {
    BeginDestroy();
}

IKtrb52Owner& TdmKtrb52::ReceiptForm() const {
    static TNoReceiptForm none;
    auto* form = dynamic_cast<IKtrb52Owner*>(Owner());
    return form ? *form : none;
}

void TdmKtrb52::viewChanged(TKtrb52Part part, const std::string& editor) {
    ReceiptForm().ReceiptViewChanged(view_, part, editor);
}

void TdmKtrb52::showEditorHint(const std::string& editor, std::vector<int> lines) {
    view_.EditorHints[editor] = std::move(lines);
    viewChanged(TKtrb52Part::EditorHint, editor);
}

void TdmKtrb52::showEditorText(const std::string& editor, const std::string& text) {
    view_.EditorTexts[editor] = text;
    viewChanged(TKtrb52Part::EditorText, editor);
}

void TdmKtrb52::showQueryMenu(bool on) {
    view_.QueryMenuEnabled = on;
    viewChanged(TKtrb52Part::QueryMenu);
}

void TdmKtrb52::showF11Fields(const std::string& fields) {
    view_.F11Fields = fields;
    viewChanged(TKtrb52Part::F11Fields);
}

TField* TdmKtrb52::HeadField(const std::string& name) const {
    return cdsMain->FieldByName(name);
}

TField* TdmKtrb52::LineField(const std::string& name) const {
    return cdsBody1->FieldByName(name);
}

TFormMode TdmKtrb52::formMode() const {
    return OwnerForm() ? OwnerForm()->FormMode() : TFormMode::Browse;
}

std::string TdmKtrb52::headText(const std::string& name) const {
    return HeadField(name)->AsString();
}

std::string TdmKtrb52::lineText(const std::string& name) const {
    return LineField(name)->AsString();
}

double TdmKtrb52::lineValue(const std::string& name) const {
    return LineField(name)->AsFloat();
}

void TdmKtrb52::GetComboItemText(plat::TDataSet* dataSet, std::string& text,
                                 const std::string& value, const std::string& fieldName) {
    TdmDouble::GetComboItemText(dataSet, text, value, fieldName);
    if ((plat::SameText(fieldName, mocth::Project) || plat::SameText(fieldName, mocti::Project)) &&
        plat::Trim(value) == kNoProject)
        text.clear();
}

void TdmKtrb52::refuseBlank(const std::string& code) {
    refuse(code, {Variant(std::string())});
}

std::string TdmKtrb52::lineLabels(const std::string& keyList) const {
    std::string labels, rest = keyList;
    while (!rest.empty()) {
        std::string name = plat::Trim(CutToken(rest, "+"));
        if (name.empty()) continue;
        if (!labels.empty()) labels += "+";
        labels += LineField(name)->DisplayLabel();
    }
    return labels;
}

}  // namespace ktrb
