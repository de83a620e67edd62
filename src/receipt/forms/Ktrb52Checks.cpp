// The receipt's business checks of one line before it is posted, and of the
// whole receipt before its status changes. A check that stops shows its
// message by code and ends the action in the silent abort; the data stay as
// typed and the line cursor where it was.
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "dataframe/knlRadical.h"
#include "platform/core/exceptions.h"
#include "platform/core/text.h"
#include "platform/data/clientdataset.h"
#include "receipt/forms/Ktrb52CF.h"
#include "receipt/rules/FieldCodes.h"
#include "receipt/rules/Ktrb52CD_Support.h"
#include "runtime/Brokers.h"
#include "runtime/LibStrs.h"

namespace ktrb {

using plat::TField;
using plat::Variant;

namespace {

constexpr int kMessageCodePage = 936;
constexpr const char* kNoUnitConversion = "100026";

// The work order's values (MOCTA "01") the checks read.
enum TWorkOrderRow {
    moPlanned = 3,
    moReceived = 5,
    moScrapped = 6,
    moStatus = 10,
    moLot = 40,
    moReturned = 44
};

double numberAt(const Variant& reply, int index) {
    double n = 0;
    return TryNumber(ReplyAt(reply, index), n) ? n : 0;
}

// Element 0 of a validator reply: the number of records found.
int countOf(const Variant& reply) {
    return static_cast<int>(numberAt(reply, 0));
}

bool isYes(const std::string& flag) {
    return flag == "Y";
}

// The fields, the host and the messages the checks work with.
class TCheckContext {
  public:
    TCheckContext(TfrmKtrb52& form, TdmKtrb52& dm)
        : form_(form), dm_(dm), broker_(*form.Brokers()) {}

    TField* lineField(const char* name) const { return dm_.cdsBody1->FieldByName(name); }
    TField* headField(const char* name) const { return dm_.cdsMain->FieldByName(name); }
    std::string line(const char* name) const { return lineField(name)->AsString(); }
    double lineNumber(const char* name) const { return lineField(name)->AsFloat(); }
    std::string head(const char* name) const { return headField(name)->AsString(); }
    std::string label(const char* name) const { return lineField(name)->DisplayLabel(); }
    std::string sys(const char* name) const { return broker_.GetSysParam(name); }
    // Whether a work order's scrapped and returned quantities count against its plan.
    bool scrapCounts() const { return isYes(dm_.Session.MocParam1); }
    bool returnsCount() const { return isYes(dm_.Session.MocParam2); }

    // A "W" answered with Cancel ends the action in the silent abort.
    int say(const char* kind, const char* code, const std::vector<Variant>& args = {}) {
        return broker_.ShowMessageCode(kind, code, args, kMessageCodePage, true);
    }
    [[noreturn]] void refuse(const char* code, const std::vector<Variant>& args = {}) {
        say("E", code, args);
        plat::Abort();
    }

    bool lookup(TField* field, const char* table, const char* query, const Variant& keys,
                Variant& values) {
        values = Variant();
        return dm_.GetLookupValues(field, table, query, values, keys);
    }

    // A quantity in another unit (empty: the stock unit); a unit the item
    // cannot convert stops the action.
    double convert(const std::string& item, double quantity, const std::string& from,
                   const std::string& to) {
        Variant reply = broker_.CallServerMethod(
            "UnitConvert",
            plat::VarArrayOf({Variant(item), Variant(quantity), Variant(from), Variant(to)}));
        double converted = 0;
        if (!reply.IsArray() || !TryNumber(FirstElement(reply), converted))
            refuse(kNoUnitConversion);
        return converted;
    }

    // A "SimpleSql" row set; Empty when the server could not answer.
    Variant rows(const Variant& args) {
        try {
            return broker_.CallServerMethod("SimpleSql", args);
        } catch (const plat::EAbort&) {
            throw;
        } catch (const std::exception&) {
            return Variant();
        }
    }

    TBrokers& broker() { return broker_; }
    TdmKtrb52& dm() { return dm_; }

  private:
    TfrmKtrb52& form_;
    TdmKtrb52& dm_;
    TBrokers& broker_;
};

// ---- the checks of one line -------------------------------------------------

class TLineChecks {
  public:
    explicit TLineChecks(TCheckContext& c) : c_(c) {}

    // False when a check stopped the post (its message shown).
    bool Run() {
        bool result = true;
        if (!batch()) return false;
        if (!expiryDates()) result = false;
        if (!warehouse() || !quantitySplit() || !workOrder() || !byProduct() || !acceptanceDate())
            return false;
        pricingQuantity();
        if (!overReceiptAndMaterials()) return false;
        return result;
    }

  private:
    bool stop(const char* code, const std::vector<Variant>& args = {}) {
        c_.say("E", code, args);
        return false;
    }

    bool batch() {
        if (c_.line(mocti::ItemLotManaged) == "Y" && c_.line(mocti::Lot).empty())
            return stop("000003", {Variant(c_.label(mocti::Lot))});
        if (c_.line(mocti::ItemKind) != "2") return true;
        Variant item;
        if (!c_.lookup(c_.lineField(mocti::Item), "INVMB", "03",
                       plat::VarArrayOf({Variant(c_.line(mocti::Item))}), item))
            return true;
        const std::string rule = ReplyText(item, 3);
        if ((rule == "Y" || rule == "T") && c_.line(mocti::Lot).empty()) return stop("100022");
        if (rule == "W" && c_.line(mocti::Lot).empty()) c_.say("W", "100028");
        return true;
    }

    bool expiryDates() {
        static const char* const kDates[] = {mocti::ProductionDate, mocti::ExpiryDate,
                                             mocti::RecheckDate};
        const char* missing = nullptr;
        for (const char* name : kDates)
            if (!missing && c_.line(name).empty()) missing = name;
        if (!missing || c_.line(mocti::ItemDated) != "Y" || c_.line(mocti::ItemKind) != "2")
            return true;
        c_.say("E", "200091");
        c_.lineField(missing)->FocusControl();
        return false;
    }

    bool warehouse() {
        if (c_.line(mocti::Process) == kWholeWorkOrder && c_.line(mocti::Warehouse).empty())
            return stop("000003", {Variant(c_.label(mocti::Warehouse))});
        return true;
    }

    bool quantitySplit() {
        if (!c_.line(mocti::ArrivalType).empty() || !c_.line(mocti::ArrivalNo).empty()) return true;
        const double parts =
            c_.lineNumber(mocti::AcceptedQuantity) + c_.lineNumber(mocti::RejectedQuantity) +
            c_.lineNumber(mocti::ScrappedQuantity) + c_.lineNumber(mocti::DestroyedQuantity);
        const double packages =
            c_.lineNumber(mocti::AcceptedPackages) + c_.lineNumber(mocti::ScrappedPackages) +
            c_.lineNumber(mocti::RejectedPackages) + c_.lineNumber(mocti::DestroyedPackages);
        const bool wrong = CompareFloats(parts, c_.lineNumber(mocti::ReceivedQuantity)) != 0 ||
                           CompareFloats(packages, c_.lineNumber(mocti::ReceivedPackages)) != 0;
        if (!wrong || c_.line(mocti::Process) != kWholeWorkOrder ||
            c_.line(mocti::InspectionState) == "1")
            return true;
        const bool packaged = c_.sys("SYS024") == "3";
        const bool sampled = c_.sys("SYS069") == "Y";
        return stop(packaged ? (sampled ? "200216" : "200214") : (sampled ? "200215" : "200213"));
    }

    bool workOrder() {
        const std::string type = c_.line(mocti::WorkOrderType),
                          number = c_.line(mocti::WorkOrderNo);
        const std::string control = c_.head(mocth::DocTypeChecksWorkOrder);
        if (type.empty() || number.empty()) {
            if (control == "Y") return stop("100132");
            if (control == "W") c_.say("W", "200271");
            return true;
        }
        const Variant keys = plat::VarArrayOf({Variant(type), Variant(number)});
        Variant order;
        std::string status;
        if (c_.line(mocti::Process) != kWholeWorkOrder) {
            c_.lookup(c_.lineField(mocti::DocType), "MOCTA", "01", keys, order);
            status = ReplyText(order, moStatus);
        } else {
            c_.lookup(c_.lineField(mocti::WorkOrderType), "MOCTA", "08",
                      plat::VarArrayOf({Variant(type), Variant(number),
                                        Variant(c_.head(mocth::Factory)), Variant("2")}),
                      order);
            status = ReplyText(order, 1);
        }
        if (countOf(order) == 0)
            return stop("000001", {Variant(c_.label(mocti::WorkOrderType) + "+" +
                                           c_.label(mocti::WorkOrderNo))});
        if (status == "V") return stop("100131");
        if (status == "N") return stop("100296");
        c_.lookup(c_.lineField(mocti::DocType), "MOCTA", "01", keys, order);
        if (countOf(order) != 0) {
            const std::string batch = ReplyText(order, moLot);
            if (!batch.empty() && batch != c_.line(mocti::Lot)) c_.say("W", "200221");
        }
        return true;
    }

    bool byProduct() {
        const std::string type = c_.line(mocti::WorkOrderType),
                          number = c_.line(mocti::WorkOrderNo);
        if (type.empty() || number.empty() ||
            c_.line(mocti::Item) == c_.line(mocti::WorkOrderProduct))
            return true;
        Variant found;
        c_.lookup(c_.lineField(mocti::Item), "MOCTG", "04",
                  plat::VarArrayOf({Variant(type), Variant(number),
                                    Variant(c_.line(mocti::WorkOrderProduct)),
                                    Variant(c_.line(mocti::Item))}),
                  found);
        if (countOf(found) != 0) return true;
        if (c_.head(mocth::DocTypeChecksWorkOrder) == "Y") return stop("100124");
        c_.say("W", "100039");
        return true;
    }

    bool acceptanceDate() {
        if (c_.line(mocti::AcceptanceDate) < c_.head(mocth::DocDate)) return stop("100024");
        return true;
    }

    void pricingQuantity() {
        double priced = c_.lineNumber(mocti::PricingQuantity);
        if (c_.line(mocti::Unit) != c_.line(mocti::PricingUnit))
            priced = c_.convert(c_.line(mocti::Item), priced, c_.line(mocti::PricingUnit),
                                c_.line(mocti::Unit));
        if (CompareFloats(priced, c_.lineNumber(mocti::AcceptedQuantity) +
                                      c_.lineNumber(mocti::DestroyedQuantity)) == 1)
            c_.say("W", c_.sys("SYS069") == "Y" ? "200203" : "200202");
    }

    bool overReceiptAndMaterials() {
        const std::string type = c_.line(mocti::WorkOrderType),
                          number = c_.line(mocti::WorkOrderNo);
        if (type.empty() || number.empty() || c_.line(mocti::Warehouse).empty() ||
            c_.line(mocti::Item) != c_.line(mocti::WorkOrderProduct) ||
            c_.line(mocti::ItemKind) != "2")
            return true;
        Variant order;
        if (!c_.lookup(c_.lineField(mocti::DocType), "MOCTA", "01",
                       plat::VarArrayOf({Variant(type), Variant(number)}), order) ||
            countOf(order) == 0)
            return true;
        double received = numberAt(order, moReceived);
        if (c_.scrapCounts()) received += numberAt(order, moScrapped);
        if (c_.returnsCount()) received += numberAt(order, moReturned);
        received += c_.convert(c_.line(mocti::Item), c_.lineNumber(mocti::ReceivedQuantity),
                               c_.line(mocti::Unit), "");
        const double limit =
            numberAt(order, moPlanned) * (c_.lineNumber(mocti::ItemOverReceiptRate) + 1.0);
        if (CompareFloats(limit, received) == -1) {
            const std::string control = c_.head(mocth::OverReceiptControl);
            // The message carries a text argument; none is given here.
            if (control == "Y") c_.refuse("100492", {Variant(std::string())});
            if (control == "W") c_.say("W", "100108");
        }
        if (CompareFloats(received, 0) != 1) return true;
        const std::string shortList = materialShortages(received);
        if (shortList.empty()) return true;
        const std::string control = c_.head(mocth::MaterialIssueControl);
        if (control == "Y") return stop("200418", {Variant(shortList)});
        if (control == "W") c_.say("W", "200237", {Variant(shortList)});
        return true;
    }

    std::string materialShortages(double received) {
        // The keys are typed text: quoted, never pasted in as they are.
        const std::string sql =
            " SELECT TB001,TB002,TB003, TB006,TB005,TB027,(CASE WHEN TB030='' THEN TB003 ELSE "
            "TB030 END ) TB030,  TB031,TB004  ,MB403  FROM $$MOCTB  LEFT JOIN $$INVMB ON "
            "MB001=TB003  WHERE TB001=" +
            plat::QuotedStr(c_.line(mocti::WorkOrderType)) +
            " AND TB002=" + plat::QuotedStr(c_.line(mocti::WorkOrderNo)) +
            "  AND (MB042<>'2') AND (TB011 NOT IN ('3','4')) AND TB004<>0  ORDER BY TB030 ";
        const Variant rows = c_.rows(plat::VarArrayOf(
            {Variant(sql), Variant("TB001,TB002,TB003,TB006,TB005,TB027,TB030,TB031,TB004,MB403"),
             Variant(c_.broker().SignOnKey), Variant("N")}));
        return TfrmKtrb52::ShortMaterialGroups(
            rows, received, c_.lineNumber(mocti::WorkOrderPlanned), c_.line(mocti::Item));
    }

    TCheckContext& c_;
};

// ---- the checks of a confirm ------------------------------------------------

// What the confirm checks read of one line.
struct TLineView {
    bool confirmed = false, product = false;
    std::string item, unit, order, orderNo, batch, batchRule, orderFlag, orderDate;
    double quantity = 0, planned = 0, rate = 0, received = 0, scrapped = 0, returned = 0;
};

using TOrderKey = std::tuple<std::string, std::string, std::string>;

class TConfirmChecks {
  public:
    explicit TConfirmChecks(TCheckContext& c) : c_(c) {}

    void Run() {
        const std::vector<TLineView> lines = readLines();
        const std::map<TOrderKey, double> received = receivedPerOrder(lines);
        const std::string overControl = c_.head(mocth::OverReceiptControl),
                          issueControl = c_.head(mocth::MaterialIssueControl);
        const std::string month = c_.head(mocth::DocDate).substr(0, 6);
        std::string overText, materialText;
        for (const TLineView& l : lines) {
            if (l.confirmed) continue;
            if (l.product) {
                const double r = received.at(TOrderKey(l.item, l.order, l.orderNo));
                double room = 0;
                if (!l.order.empty() && !l.orderNo.empty()) {
                    room = l.planned * (l.rate + 1.0) - l.received;
                    if (c_.scrapCounts()) room -= l.scrapped;
                    if (c_.returnsCount()) room -= l.returned;
                }
                if (CompareFloats(r, room) == 1 && (overControl == "W" || overControl == "Y"))
                    overText += "\n\r" + l.order + "-" + l.orderNo + "/" + l.item;
                if (issueControl == "W") materialText += materialShortages(l, r);
            }
            if (l.batch == kNoLot && l.batchRule == "W") c_.say("W", "200240");
            if ((l.orderFlag == "Y" || l.orderFlag == "y") && l.orderDate.substr(0, 6) >= month)
                c_.say("W", "100033");
        }
        if (!overText.empty()) {
            if (overControl == "W") c_.say("W", "200235", {Variant(overText)});
            if (overControl == "Y") c_.refuse("100492", {Variant(overText)});
        }
        if (!materialText.empty() && issueControl == "W")
            c_.say("W", "200237", {Variant(materialText)});
        serialNumbers();
    }

  private:
    // One walk over the lines with their events quiet; the cursor comes back.
    std::vector<TLineView> readLines() {
        std::vector<TLineView> out;
        plat::TClientDataSet* body = c_.dm().cdsBody1;
        // A line still being typed passes its own checks first.
        if (body->State() == plat::dsEdit || body->State() == plat::dsInsert) body->Post();
        if (body->IsEmpty()) return out;
        TRowWalk walk(body, TRowWalk::Events::DataSet);
        for (body->First(); !body->Eof(); body->Next()) {
            TLineView l;
            l.confirmed = c_.line(mocti::ConfirmCode) == "Y";
            l.item = c_.line(mocti::Item);
            l.product =
                l.item == c_.line(mocti::WorkOrderProduct) && c_.line(mocti::ItemKind) == "2";
            l.unit = c_.line(mocti::Unit);
            l.order = c_.line(mocti::WorkOrderType);
            l.orderNo = c_.line(mocti::WorkOrderNo);
            l.batch = c_.line(mocti::Lot);
            l.batchRule =
                c_.line(mocti::ItemKind) == "2" ? c_.line(mocti::ItemLotManaged) : std::string();
            l.orderFlag = c_.line(mocti::WorkOrderFlag);
            l.orderDate = c_.line(mocti::WorkOrderDate);
            l.quantity = c_.lineNumber(mocti::ReceivedQuantity);
            l.planned = c_.lineNumber(mocti::WorkOrderPlanned);
            l.rate = c_.lineNumber(mocti::ItemOverReceiptRate);
            l.received = c_.lineNumber(mocti::WorkOrderReceived);
            l.scrapped = c_.lineNumber(mocti::WorkOrderScrapped);
            l.returned = c_.lineNumber(mocti::WorkOrderReturned);
            out.push_back(std::move(l));
        }
        return out;
    }

    // What this receipt brings in, per item and work order of an open product
    // line, in the item's stock unit; every line counts, confirmed or not.
    std::map<TOrderKey, double> receivedPerOrder(const std::vector<TLineView>& lines) {
        std::map<TOrderKey, double> sums;
        for (const TLineView& l : lines)
            if (!l.confirmed && l.product) sums.emplace(TOrderKey(l.item, l.order, l.orderNo), 0.0);
        for (const TLineView& l : lines) {
            auto it = sums.find(TOrderKey(l.item, l.order, l.orderNo));
            if (it != sums.end()) it->second += c_.convert(l.item, l.quantity, l.unit, "");
        }
        return sums;
    }

    std::string materialShortages(const TLineView& l, double r) {
        double before = l.received;
        if (c_.scrapCounts()) before += l.scrapped;
        if (c_.returnsCount()) before += l.returned;
        const Variant& rows = materialRows(l.order, l.orderNo);
        if (!rows.IsArray() || CompareFloats(l.planned, 0) == 0) return {};
        std::string text;
        for (int i = rows.LowBound(); i <= rows.HighBound(); ++i) {
            const Variant& e = rows[i];
            const double factor =
                CompareFloats(numberAt(e, 5), 0) == 0 ? numberAt(e, 1) : numberAt(e, 5);
            const double need =
                RoundToDecimals(7, (r + before) * factor * (1 - numberAt(e, 3)) / l.planned);
            const double shortBy = RoundToDecimals(6, need - numberAt(e, 2));
            if (CompareFloats(shortBy, 0.000001) == 1)
                text += "\n\r" + l.order + "-" + l.orderNo + "/" + l.item + "/" + ReplyText(e, 0);
        }
        return text;
    }

    // A work order's material rows, asked once per confirm.
    const Variant& materialRows(const std::string& order, const std::string& number) {
        auto key = std::make_pair(order, number);
        auto it = materials_.find(key);
        if (it != materials_.end()) return it->second;
        Variant rows;
        if (!c_.broker().QueryData("MOCTB", "60",
                                   plat::VarArrayOf({Variant(order), Variant(number)}), rows))
            rows = Variant();
        return materials_.emplace(key, rows).first->second;
    }

    // A stored line of a serial-managed item with scrapped or destroyed
    // quantities and no serial number of that kind.
    void serialNumbers() {
        const std::string cr = "\r";
        const std::string sql =
            " SELECT TOP 1 TI001,TI002,TI003,TI021,TI056 " + cr +
            " FROM $$MOCTI                         " + cr +
            " INNER JOIN $$INVMB AS INV ON INV.MB001=TI004   " + cr +
            " LEFT JOIN                                      " + cr +
            "  ( SELECT MB001,MB002,MB003,MB006,COUNT(*) AS FOOTTOTAL   " + cr +
            "    FROM $$PSMMB                                     " + cr +
            "    WHERE MB006 = 'B'                              " + cr +
            "    GROUP BY MB001,MB002,MB003,MB006                       " + cr +
            "   ) AS PSMB ON PSMB.MB001=TI001 AND PSMB.MB002=TI002 AND PSMB.MB003=TI003  " + cr +
            " LEFT JOIN                                      " + cr +
            "  ( SELECT MB001,MB002,MB003,MB006,COUNT(*) AS FOOTTOTAL   " + cr +
            "    FROM $$PSMMB                                     " + cr +
            "    WHERE MB006 = 'C'                              " + cr +
            "    GROUP BY MB001,MB002,MB003,MB006                       " + cr +
            "   ) AS PSMC ON PSMC.MB001=TI001 AND PSMC.MB002=TI002 AND PSMC.MB003=TI003  " + cr +
            "  WHERE TI001=" + plat::QuotedStr(c_.head(mocth::DocType)) +
            "    AND TI002=" + plat::QuotedStr(c_.head(mocth::DocNo)) + " AND MB454='Y' " + cr +
            "  GROUP BY TI001,TI002,TI003,TI021,TI056,PSMB.MB001,PSMB.FOOTTOTAL,PSMC.MB001,"
            "PSMC.FOOTTOTAL  " +
            cr +
            "  HAVING ((PSMB.MB001 IS NULL) AND (TI021 <> 0)) OR ((PSMC.MB001 IS NULL) AND "
            "(TI056 <> 0)) ";
        const Variant reply =
            c_.rows(plat::VarArrayOf({Variant(sql), Variant("TI001,TI002,TI003,TI021,TI056")}));
        if (!ktrb::VarIsBlank(reply) && reply.IsArray()) c_.say("W", "200403");
    }

    TCheckContext& c_;
    std::map<std::pair<std::string, std::string>, Variant> materials_;
};

}  // namespace

std::string TfrmKtrb52::ShortMaterialGroups(const Variant& rows, double received, double planned,
                                            const std::string& item) {
    if (!rows.IsArray() || rows.DimCount() != 1) return {};
    std::string list;
    double mainPart = 0, mainIssued = 0, subParts = 0, subIssued = 0;
    const int low = rows.LowBound(), high = rows.HighBound();
    for (int i = low; i <= high; ++i) {
        const Variant& row = rows[i];
        const std::string group = ReplyText(row, 6);
        if (i == low || group != ReplyText(rows[i - 1], 6))
            mainPart = mainIssued = subParts = subIssued = 0;
        const double issued = numberAt(row, 4), part = numberAt(row, 5), base = numberAt(row, 7),
                     required = numberAt(row, 8);
        if (ReplyText(row, 2) == group) {
            mainPart = part;
            mainIssued = issued;
        } else if (part != 0) {
            subParts += base;
            subIssued += issued * base / part;
        } else if (required != 0) {
            subIssued += issued * base / required;
        }
        if (i < high && ReplyText(rows[i + 1], 6) == group) continue;
        const double need = CompareFloats(planned, 0) == 0
                                ? 0
                                : RoundToDecimals(7, received * (mainPart + subParts) *
                                                         (1 - numberAt(row, 9)) / planned);
        if (CompareFloats(need, mainIssued + subIssued) == 1)
            list += "\r" + ReplyText(row, 0) + "-" + ReplyText(row, 1) + "/" + item + "/" + group;
    }
    return list;
}

bool TfrmKtrb52::ValidateRequiredFields(plat::TDataSet* dataSet) {
    const bool inherited = TfrmDouble::ValidateRequiredFields(dataSet);
    TdmKtrb52* dm = ReceiptModule();
    // The amount entry posts lines of its own; the payment-hold toggle too.
    if (!inherited || !dm || !Brokers() || AmountEntryStarted || dataSet != dm->cdsBody1 ||
        !LineCheckActive)
        return inherited;
    TCheckContext context(*this, *dm);
    if (context.line(mocti::ConfirmCode) == "Y") return inherited;
    return TLineChecks(context).Run();
}

bool TfrmKtrb52::CheckStatusChange(uint8_t kind) {
    const bool result = TfrmDouble::CheckStatusChange(kind);
    TdmKtrb52* dm = ReceiptModule();
    if (!dm || !Brokers() || dm->cdsMain->IsEmpty()) return result;
    TCheckContext context(*this, *dm);
    const auto change = static_cast<TStatusChange>(kind);
    const bool confirm = change == TStatusChange::Confirm;
    if (confirm || change == TStatusChange::Unconfirm) {
        const std::string nature = context.head(mocth::DocNature);
        if (nature == "D2" || nature == "D3") context.refuse("100249");
    }
    if (!confirm) return result;
    Variant supplier;
    if (context.lookup(context.headField(mocth::Supplier), "PURMA", "01",
                       plat::VarArrayOf({Variant(context.head(mocth::Supplier))}), supplier) &&
        countOf(supplier) != 0 && ReplyText(supplier, 13) == "3")
        context.say("W", "100112");
    TConfirmChecks(context).Run();
    return result;
}

}  // namespace ktrb
