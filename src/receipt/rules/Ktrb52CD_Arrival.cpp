// The link of a receipt line to an arrival-note line and its inspection
// result, the item kind of the line (engineering or formal item) with the
// editors and menus that follow it, and the header scroll that sets the link
// fields' read-only states from the document type.
#include <string>
#include <utility>

#include "receipt/rules/Ktrb52CD.h"
#include "receipt/rules/Ktrb52CD_Support.h"
#include "runtime/Brokers.h"
#include "runtime/LibStrs.h"
#include "runtime/PropAccess.h"

namespace ktrb {

using plat::TField;
using plat::Variant;

namespace {

constexpr const char* kEngineeringItem = "1";

// Memo lines of the editors' lookup texts.
constexpr int kItemHint = 0, kEngineeringItemHint = 1, kWorkOrderHint = 2, kItemAttributesHint = 3,
              kArrivalHint = 4, kInspectionHint = 6;
const std::pair<const char*, int> kFormalItemHints[] = {
    {"cboTI008G", 7},  {"cboTI015G", 11}, {"cboTI009G", 8}, {"cboTI010G", 9},  {"cboTI054G", 10},
    {"cboTI011G", 10}, {"cboTI012G", 10}, {"cboTI023G", 7}, {"cboTI032G", 12},
};
const char* const kPackagingFields[] = {"TI016", "TI017", "TI050", "TI051", "TI057"};
const char* const kEngineeringLocked[] = {"TI008", "TI015", "TI009", "TI054", "TI023", "TI032"};

// Reply positions of the arrival line (MOCCD "01").
enum TArrivalValue {
    arItem = 1,
    arName = 2,
    arSpec = 3,
    arWarehouse = 4,
    arQuantity = 5,
    arReceived = 7,
    arUnit = 8,
    arRemark = 15,
    arProject = 16,
    arStockUnit = 19,
    arPackagingUnit = 20,
    arWorkOrderType = 25,
    arWorkOrder = 26
};

}  // namespace

void TdmKtrb52::cdsBody1TIC01Validate(TField* Sender) {
    writeLine("TI004", "");
    auto lock = [this](const char* name, bool on) { LineField(name)->SetReadOnly(on); };
    if (Sender->AsString() == kEngineeringItem) {
        writeLine("TI035", "0");
        for (const char* name : {"TI049", "TI011", "TI012"}) {
            writeLine(name, "");
            lock(name, true);
        }
        for (const char* name : kPackagingFields) {
            writeLine(name, "0");
            lock(name, true);
        }
        writeLine("TI010", kNoLot);
        for (const char* name : kEngineeringLocked) lock(name, true);
        for (const auto& [editor, line] : kFormalItemHints) showEditorHint(editor, {});
        showQueryMenu(false);
        showEditorHint("cboTI004G", {kEngineeringItemHint, kWorkOrderHint});
        showF11Fields("");
        return;
    }
    lock("TI049", false);
    if (lineText("TI004C10") == "Y")
        for (const char* name : {"TI011", "TI012", "TI054"}) lock(name, false);
    UpdatePackagingReadOnly();
    lock("TI008", false);
    lock("TI015", false);
    writeLineQuiet("TI015", kWholeWorkOrder);
    lock("TI009", false);
    lock("TI023", false);
    // As the line scroll would: the project is the user's unless projects
    // are in use.
    if (sysParam("SYS180") != "Y") lock("TI032", false);
    showQueryMenu(true);
    for (const auto& [editor, line] : kFormalItemHints) showEditorHint(editor, {line});
    const int via = headText("MQC03C") == "Y" ? kArrivalHint : kWorkOrderHint;
    showEditorHint("cboTI004G", {kItemHint, via, kItemAttributesHint});
    showF11Fields("cdsBody1:TI004");
}

void TdmKtrb52::cdsBody1TIC02Validate(TField*) {
    writeLine("TIC03", "");
}

void TdmKtrb52::cdsBody1TIC03Validate(TField*) {
    writeLine("TIC04", "");
}

void TdmKtrb52::cdsBody1TIC04Validate(TField* Sender) {
    const std::string type = lineText("TIC02"), number = lineText("TIC03"),
                      line = Sender->AsString();
    // Line validations look up and fill only once the clerk works on the document.
    const bool linked =
        Session.ValidationActive && !type.empty() && !number.empty() && !line.empty();
    // The arrival line is looked up before the batch of the old one is cleared.
    Variant arrival;
    if (linked &&
        !GetLookupValues(
            Sender, "MOCCD", "01", arrival,
            plat::VarArrayOf(
                {Variant(type), Variant(number), Variant(line), Variant(headText("TH005")),
                 Variant(sysParam("SYS180") == "Y" ? headText("TH045") : std::string())})))
        refuseBlank("100061");
    writeLine("TIC05", "");
    showEditorHint("cboTIC05G", {});
    if (linked) {
        if (!hasValues(arrival)) return;
        auto value = [&](int index) { return ReplyText(arrival, index); };
        const Variant empty{std::string()};
        const double received = valueNumber(arrival, arQuantity, "100061", empty) -
                                valueNumber(arrival, arReceived, "100061", empty);
        // The arrival line's work order, read before the line is written.
        Variant order;
        const bool orderFound = GetLookupValues(
            Sender, "MOCTA", "01", order,
            plat::VarArrayOf({Variant(value(arWorkOrderType)), Variant(value(arWorkOrder))}));
        const std::string rateText = ReplyText(order, 38);
        const bool orderValues = orderFound && hasValues(order);
        const double rate = !orderValues || rateText.empty() || rateText == "N" || rateText == "Y"
                                ? 0
                                : valueNumber(order, 38, "100061", empty);
        writeLine("TI004", value(arItem));
        writeLine("TI004C12", value(arItem));
        writeLine("TI004C2", value(arItem));
        writeLine("TI005", value(arName));
        writeLine("TI006", value(arSpec));
        writeLine("TI009", value(arWarehouse));
        writeLine("TI008", value(arUnit));
        writeLine("TI049", value(arPackagingUnit));
        {
            // The accepted quantity is not spread from the received one here:
            // it comes from the inspection result, or is copied below.
            TFlagScope noSpread(Session.QuantityEditActive, false, true);
            writeLineNumber("TI007", received);
        }
        writeLine("TI040", value(arRemark));
        writeLine("TI032", value(arProject));
        writeLineQuiet("TI061", value(arStockUnit));
        writeLineQuiet("TI013", value(arWorkOrderType));
        writeLineQuiet("TI014", value(arWorkOrder));

        if (orderValues) writeOrderLookupFields(order, rate);
        if (headText("MQC04C") != "Y") writeLine("TI019", lineText("TI007"));
    }
    if (!line.empty() && headText("MQC04C") == "Y") showEditorHint("cboTIC05G", {kInspectionHint});
}

void TdmKtrb52::writeOrderLookupFields(const Variant& order, double taxRate) {
    auto orderValue = [&](int index) { return ReplyText(order, index); };
    const std::pair<const char*, int> hidden[] = {{"TI004C3", 3},  {"TI004C5", 5},
                                                  {"TI004C6", 6},  {"TI004C7", 29},
                                                  {"TI004C8", 28}, {"TI004C9", 30}};
    for (const auto& [name, index] : hidden) writeLine(name, orderValue(index));
    SetFieldText(LineField("TI004C11"), NumberText(taxRate * 100), true);
    writeLine("TI004C13", orderValue(43));
    writeLine("TI014C1", orderValue(35));
    writeLine("TI014C2", orderValue(36));
    writeLine("TI014C3", orderValue(37));
}

void TdmKtrb52::cdsBody1TIC05Validate(TField* Sender) {
    if (!Session.ValidationActive || !arrivalLinked() || headText("MQC04C") != "Y") return;
    const std::string type = lineText("TIC02"), number = lineText("TIC03"),
                      line = lineText("TIC04"), batch = Sender->AsString();
    const Variant project(sysParam("SYS180") == "Y" ? headText("TH045") : std::string());
    Variant result;
    if (!GetLookupValues(
            Sender, "QMSTD", "09", result,
            plat::VarArrayOf({Variant(type), Variant(number), Variant(line), Variant(batch),
                              Variant(type), Variant(number), Variant(line),
                              Variant(lineText("TI001")), Variant(lineText("TI002")), Variant(type),
                              Variant(number), Variant(line), Variant(batch), project})) ||
        !hasValues(result))
        return;
    // Inspected quantities, by reply position; read before anything is written.
    const std::pair<const char*, int> quantities[] = {{"TI019", 2}, {"TI022", 3}, {"TI056", 4},
                                                      {"TI021", 5}, {"TI017", 6}, {"TI051", 7},
                                                      {"TI057", 8}, {"TI050", 9}};
    double value[10] = {};
    for (const auto& [name, index] : quantities)
        value[index] = valueNumber(result, index, "C00017", Variant());
    writeLineQuiet("TIC06", ReplyText(result, 10));
    for (const auto& [name, index] : quantities) writeLineQuiet(name, NumberText(value[index]));
    double valued = 0;
    if (convertQuantity(lineValue("TI019") + lineValue("TI056"), lineText("TI008"),
                        lineText("TI023"), valued))
        writeLineQuiet("TI020", NumberText(valued));
    writeLineQuiet("TI062", NumberText(value[2]));
    writeLineQuiet("TI007", NumberText(lineValue("TI019") + lineValue("TI022") +
                                       lineValue("TI056") + lineValue("TI021")));
    writeLineQuiet("TI016", NumberText(lineValue("TI017") + lineValue("TI051") +
                                       lineValue("TI057") + lineValue("TI050")));
    writeLineQuiet("TI035", CompareFloats(lineValue("TI022"), 0) > 0 ? "3" : "2");
}

void TdmKtrb52::cdsMainAfterScroll(plat::TDataSet* DataSet) {
    TdmDouble::cdsMainAfterScroll(DataSet);
    const std::string arrivals = headText("MQC03C"), inspections = headText("MQC04C");
    for (const char* name : {"TI013", "TI014"}) LineField(name)->SetReadOnly(arrivals == "Y");
    for (const char* name : {"TIC02", "TIC03", "TIC04"})
        LineField(name)->SetReadOnly(arrivals == "N");
    LineField("TIC05")->SetReadOnly(inspections == "N");
    view_.ProjectEditLocked = false;
    viewChanged(TKtrb52Part::ProjectEdit);
}

}  // namespace ktrb
