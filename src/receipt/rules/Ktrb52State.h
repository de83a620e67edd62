// The state of the receipt data module: the flags its rules keep while a
// document is edited and the settings they read (the form sets them when
// editing starts), and what the rules say of the receipt form's controls.
// The form does not take orders from the rules: it is told which part of the
// view changed and reads it, as a view asks its model.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/core/stringlist.h"

namespace ktrb {

struct TKtrb52Session {
    // Set by the add, edit, amount-entry and invoice-edit actions: the line
    // rules look up and fill defaults only while it holds.
    bool ValidationActive = false;
    // Set by the add and edit actions: the quantity rules run their
    // dependent steps only while it holds; a rule clears it around its own
    // writes so that one cascade runs at a time.
    bool QuantityEditActive = false;
    // Nothing turns it on: the amount rules keep the prices as they are while it holds.
    bool AmountsFrozen = false;
    // Set when the amount dialog changed the invoice kind: the kind's rule
    // then takes the dialog's terms as they are, once.
    bool InvoiceKindFromDialog = false;
    // MB001 and MB002 of the work-order parameter table ("Y" on).
    std::string MocParam1, MocParam2;
    // "Y" when inspection is in use for the document (read on add and edit).
    std::string QualityParam = "N";
    // The supplier last accepted by the header's supplier rule; the document's
    // supplier when editing starts.
    std::string SupplierAtEdit;
    // Line numbers bound by inspection results (filled when editing starts).
    plat::TStringList InspectionKeys;
};

// The parts of the view, each a reason to tell the form.
enum class TKtrb52Part : uint8_t {
    InspectionEdit,  // the inspection-state combo cboTI035G
    MoneyButton,     // the amount-entry button btnMoney
    BodyGrid,        // the lock of the line grid gdBody1
    QueryMenu,       // the lot stock, outsourcing price and price history queries
    ItemView,        // the document view's item
    TaxKind,         // the tax-kind combo cboTH015
    TaxRate,         // the tax-rate edit edTH030
    ProjectEdit,     // the header project edit
    EditorHint,      // the look-up text of one line editor
    EditorText,      // the shown text of one line editor
    F11Fields,       // the F11 field list
    AfterSave,       // what follows the save of a new document
};

struct TKtrb52View {
    bool InspectionEditReadOnly = false;
    // The amount button stays enabled only while the rules allow it; they
    // never enable what the form disabled.
    bool MoneyAllowed = false;
    bool BodyGridLocked = false;
    bool QueryMenuEnabled = true;
    // "dataset:field" whose item the document view shows.
    std::string ItemViewSource;
    bool TaxKindEnabled = true, TaxRateEnabled = true;
    // The project edit is enabled only while the document has no line and this is false.
    bool ProjectEditLocked = false;
    // Per line editor, by component name: the lines of the form's look-up
    // texts its hint joins with "->" (none: no hint).
    std::map<std::string, std::vector<int>> EditorHints;
    // Per line editor: the text a rule accepted for it.
    std::map<std::string, std::string> EditorTexts;
    // "dataset:field,..." offered by F11.
    std::string F11Fields;
    // A new document is confirmed, or printed, right after it is saved.
    bool AutoConfirmAfterSave = false, PrintAfterSave = false;
};

// An editor's hint: its look-up text lines (`line(i)` gives line i) joined by "->".
template <class Line>
std::string JoinLookupLines(const std::vector<int>& lines, Line&& line) {
    std::string hint;
    for (size_t i = 0; i < lines.size(); ++i) hint += (i ? "->" : "") + line(lines[i]);
    return hint;
}

}  // namespace ktrb
