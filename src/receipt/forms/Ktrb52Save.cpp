// The receipt's save: batch, location and line-type checks of the open
// lines, the quantities against the subcontract arrival notes, the
// supplier's document number and the document type's arrival requirement,
// then the header/body save and, after an edit, the automatic confirm. And
// the document-level tax split with its rounding residues put on the lines.
#include <array>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "controls/QrvEdit.h"
#include "dataframe/KnlDouble.h"
#include "dataframe/knlRadical.h"
#include "platform/core/numbers.h"
#include "platform/core/text.h"
#include "platform/data/clientdataset.h"
#include "platform/ui/menus.h"
#include "receipt/forms/Ktrb52CF.h"
#include "receipt/rules/FieldCodes.h"
#include "runtime/Brokers.h"
#include "runtime/LibStrs.h"
#include "runtime/Reply.h"

namespace ktrb {

using plat::TDataSet;
using plat::TField;
using plat::Variant;

namespace {

constexpr char kCR = '\r';

// The eight receipt quantities and the arrival-note columns that bound
// them, in the one order the sums, the arrival query and the comparison use.
constexpr int kQuantityCount = 8;
struct TArrivalPair {
    const char* line;
    const char* arrival;
};
constexpr std::array<TArrivalPair, kQuantityCount> kArrivalPairs = {{
    {mocti::AcceptedQuantity, moccd::Accepted},
    {mocti::RejectedQuantity, moccd::Rejected},
    {mocti::ScrappedQuantity, moccd::Scrapped},
    {mocti::DestroyedQuantity, moccd::Destroyed},
    {mocti::AcceptedPackages, moccd::AcceptedPackages},
    {mocti::RejectedPackages, moccd::RejectedPackages},
    {mocti::ScrappedPackages, moccd::ScrappedPackages},
    {mocti::DestroyedPackages, moccd::DestroyedPackages},
}};
using TQuantities = std::array<double, kQuantityCount>;

// The first row of a "SimpleSql" reply when it has at least `columns`
// values; null for an empty, null or malformed reply.
const Variant* FirstRow(const Variant& reply, int columns) {
    if (!reply.IsArray() || reply.DimCount() != 1 || reply.ArrayCount() < 1) return nullptr;
    const Variant& row = reply[reply.LowBound(1)];
    if (!row.IsArray() || row.DimCount() != 1 || row.ArrayCount() < columns) return nullptr;
    return &row;
}

double RowNumber(const Variant& row, int index) {
    return plat::VarToFloatDef(ReplyAt(row, index), 0);
}

// Reads one line of a data set without moving its cursor or raising its
// events; the cursor's own line is read directly.
class TLinePeek {
  public:
    TLinePeek(const TDataSet* dataSet, int row) : dataSet_(dataSet) { dataSet_->BeginPeek(row); }
    ~TLinePeek() { dataSet_->EndPeek(); }
    TLinePeek(const TLinePeek&) = delete;
    TLinePeek& operator=(const TLinePeek&) = delete;

  private:
    const TDataSet* dataSet_;
};

void GoToLine(TDataSet* dataSet, int row) {
    dataSet->EndPeek();
    const plat::TBookmark mark = dataSet->BookmarkOfRow(row);
    if (dataSet->BookmarkValid(mark)) dataSet->GotoBookmark(mark);
}

struct TArrivalKey {
    std::string type, number, line;
    bool operator<(const TArrivalKey& o) const {
        return std::tie(type, number, line) < std::tie(o.type, o.number, o.line);
    }
};

// What one line brings to the arrival check.
struct TArrivalLine {
    TArrivalKey key;
    std::string lineNo;
    TQuantities quantities{};
};

// The server's two answers for one arrival line: what the approved
// receipts other than this one booked against it, and the arrival line's
// own quantities. Both depend only on the document and the arrival key, so
// lines of one arrival line ask once.
struct TArrivalReplies {
    Variant booked, arrival;
};

class TSaveChecks {
  public:
    TSaveChecks(TfrmKtrb52& form, TdmKtrb52& dm)
        : form_(form), dm_(dm), head_(dm.cdsMain), body_(dm.cdsBody1) {}

    // Batch, location and line type of every line not yet confirmed.
    void openLines() {
        TControlsDisabled quiet(body_);
        if (body_->State() == plat::dsEdit || body_->State() == plat::dsInsert) body_->Post();
        TField* confirmed = line(mocti::ConfirmCode);
        TField* kind = line(mocti::ItemKind);
        TField* batch = line(mocti::Lot);
        TField* batchRule = line(mocti::ItemLotManaged);
        TField* location = line(mocti::Location);
        const bool locations = form_.Brokers()->GetSysParam("SYS093") == "Y";
        const bool noEngineering = headText(mocth::DocTypeEngineeringItems) == "N";
        const int rows = body_->RecordCount();
        for (int row = 0; row < rows; ++row) {
            std::string rule;
            bool missingBatch = false, missingLocation = false, engineering = false;
            {
                TLinePeek peek(body_, row);
                if (confirmed->AsString() == "Y") continue;
                const std::string lineKind = kind->AsString();
                if (lineKind == "2") {
                    missingBatch = batch->AsString() == kNoLot;
                    rule = batchRule->AsString();
                    missingLocation = locations && location->AsString() == kNoLocation;
                }
                engineering = noEngineering && lineKind == "1";
            }
            if (missingBatch && (rule == "Y" || rule == "T")) refuse(row, "100161");
            if (missingBatch && rule == "W") {
                GoToLine(body_, row);
                warn("200240");
            }
            if (missingLocation) refuse(row, "200420");
            if (engineering) refuse(row, "200954");
        }
    }

    // Every line's quantities, with those of the other lines of this
    // receipt and of the approved receipts on the same arrival line, against
    // the arrival line's own. False after the message on the first excess.
    bool arrivalQuantities() {
        TControlsDisabled quiet(body_);
        std::vector<TArrivalLine> lines = readArrivalLines();
        std::map<TArrivalKey, std::vector<int>> byArrival;
        for (int i = 0; i < (int)lines.size(); ++i) byArrival[lines[i].key].push_back(i);
        std::map<TArrivalKey, TArrivalReplies> replies;
        for (int i = 0; i < (int)lines.size(); ++i) {
            const TArrivalLine& l = lines[i];
            auto found = replies.find(l.key);
            if (found == replies.end()) found = replies.emplace(l.key, askServer(l.key)).first;
            const Variant* arrival = FirstRow(found->second.arrival, kQuantityCount);
            // Without an arrival line there is nothing to exceed.
            if (!arrival) continue;
            TQuantities total = l.quantities;
            if (const Variant* booked = FirstRow(found->second.booked, kQuantityCount))
                for (int k = 0; k < kQuantityCount; ++k) total[k] += RowNumber(*booked, k);
            for (int j : byArrival[l.key]) {
                if (lines[j].lineNo == l.lineNo) continue;
                for (int k = 0; k < kQuantityCount; ++k) total[k] += lines[j].quantities[k];
            }
            for (int k = 0; k < kQuantityCount; ++k) {
                if (CompareFloats(total[k], RowNumber(*arrival, k)) != 1) continue;
                GoToLine(body_, i);
                const Variant label(line(kArrivalPairs[k].line)->DisplayLabel());
                form_.Brokers()->ShowMessageCode("E", "C00015", {label, label}, 936, true);
                return false;
            }
        }
        // The pass ends on the last line.
        if (!lines.empty()) GoToLine(body_, (int)lines.size() - 1);
        return true;
    }

    // A supplier's document number that another receipt already carries.
    void supplierDocumentNumber(TFormMode mode) {
        const std::string number = headText(mocth::SupplierDocNo);
        if (number.empty() || mode == TFormMode::Browse) return;
        Variant values;
        const bool adding = mode == TFormMode::Add;
        const Variant keys =
            adding ? plat::VarArrayOf({number})
                   : plat::VarArrayOf({number, headText(mocth::DocType), headText(mocth::DocNo)});
        if (dm_.GetLookupValues(head(mocth::DocType), "MOCTH", adding ? "05" : "06", values,
                                keys) &&
            values.IsArray() && values.ArrayCount() > 0 &&
            plat::VarToFloatDef(values[values.LowBound(1)], 0) > 0)
            warn("200400");
    }

    // A document type that checks arrivals wants an arrival note on every
    // open line (and a line at all).
    void arrivalRequirement() {
        const std::string type =
            plat::Trim(form_.edTH001 ? form_.edTH001->Text() : headText(mocth::DocType));
        const Variant reply = form_.Brokers()->CallServerMethod(
            "SimpleSQL", plat::VarArrayOf({" SELECT MQC03 FROM $$CMSMQ WHERE MQ001=" +
                                               plat::QuotedStr(type) + " ",
                                           "MQC03"}));
        const Variant* row = FirstRow(reply, 1);
        if (!row || plat::VarToStr((*row)[row->LowBound(1)]) != "Y") return;
        TField* confirmed = line(mocti::ConfirmCode);
        TField* type2 = line(mocti::ArrivalType);
        TField* number = line(mocti::ArrivalNo);
        TField* arrivalLine = line(mocti::ArrivalLineNo);
        const int rows = body_->RecordCount();
        int missing = rows == 0 ? 0 : -1;
        for (int row = 0; row < rows && missing < 0; ++row) {
            TLinePeek peek(body_, row);
            if (confirmed->AsString() == "Y") continue;
            if (type2->AsString().empty() || number->AsString().empty() ||
                arrivalLine->AsString().empty())
                missing = row;
        }
        if (missing < 0) return;
        if (rows > 0) GoToLine(body_, missing);
        form_.Brokers()->ShowMessageCode(
            "E", "C00044", {Variant("此单别需核对委外到货,委外到货单号不可空白 !")}, 936, true);
        plat::Abort();
    }

  private:
    TField* head(const char* name) const { return head_->FieldByName(name); }
    TField* line(const char* name) const { return body_->FieldByName(name); }
    std::string headText(const char* name) const { return head(name)->AsString(); }

    [[noreturn]] void refuse(int row, const char* code) {
        GoToLine(body_, row);
        form_.Brokers()->ShowMessageCode("E", code, {}, 936, true);
        plat::Abort();
    }
    // OK goes on; anything else ends the save.
    void warn(const char* code) { form_.Brokers()->ShowMessageCode("W", code, {}, 936, true); }

    std::vector<TArrivalLine> readArrivalLines() const {
        std::array<TField*, kQuantityCount> quantity{};
        for (int k = 0; k < kQuantityCount; ++k) quantity[k] = line(kArrivalPairs[k].line);
        TField* type = line(mocti::ArrivalType);
        TField* number = line(mocti::ArrivalNo);
        TField* arrivalLine = line(mocti::ArrivalLineNo);
        TField* lineNo = line(mocti::LineNo);
        std::vector<TArrivalLine> lines(body_->RecordCount());
        for (int row = 0; row < (int)lines.size(); ++row) {
            TLinePeek peek(body_, row);
            TArrivalLine& l = lines[row];
            l.key = {type->AsString(), number->AsString(), arrivalLine->AsString()};
            l.lineNo = lineNo->AsString();
            for (int k = 0; k < kQuantityCount; ++k) l.quantities[k] = quantity[k]->AsFloat();
        }
        return lines;
    }

    Variant simpleSql(const std::string& sql, const char* columns) const {
        TBrokers* broker = form_.Brokers();
        return broker->CallServerMethod("SimpleSql",
                                        plat::VarArrayOf({sql, columns, broker->SignOnKey, "N"}));
    }

    TArrivalReplies askServer(const TArrivalKey& key) const {
        using plat::QuotedStr;
        const std::string cr(1, kCR);
        TArrivalReplies r;
        r.booked = simpleSql(
            " SELECT TIC02,TIC03,TIC04,SUM(TI019) AS TI019C,  SUM(TI022) AS TI022C,  SUM(TI021) "
            "AS TI021C,  SUM(TI056) AS TI056C,  SUM(TI017) AS TI017C,  SUM(TI051) AS TI051C,  "
            "SUM(TI050) AS TI050C,  SUM(TI057) AS TI057C  " +
                cr + " FROM $$MOCCD MOCCD " + cr +
                " INNER JOIN $$MOCTI MOCTI ON TIC02=CD001 AND TIC03=CD002 AND TIC04=CD003 " + cr +
                " INNER JOIN $$MOCTH MOCTH ON TH001=TI001 AND TH002=TI002 " + cr +
                " WHERE TH023='Y' " + cr + " AND (TI001<>" + QuotedStr(headText(mocth::DocType)) +
                " OR TI002<>" + QuotedStr(headText(mocth::DocNo)) +
                " ) AND TIC02=" + QuotedStr(key.type) + cr + " AND TIC03=" + QuotedStr(key.number) +
                cr + " AND TIC04=" + QuotedStr(key.line) + cr + " GROUP BY TIC02,TIC03,TIC04 ",
            "TI019C,TI022C,TI021C,TI056C,TI017C,TI051C,TI050C,TI057C");
        r.arrival = simpleSql(
            " SELECT CD014,CD015,CD022,CD024,CD020,CD021,CD023,CD025 FROM "
            "$$MOCCD MOCCD " +
                cr + " WHERE CD001=" + QuotedStr(key.type) + cr +
                " AND CD002=" + QuotedStr(key.number) + cr + " AND CD003=" + QuotedStr(key.line),
            "CD014,CD015,CD022,CD024,CD020,CD021,CD023,CD025");
        return r;
    }

    TfrmKtrb52& form_;
    TdmKtrb52& dm_;
    plat::TClientDataSet* head_;
    plat::TClientDataSet* body_;
};

}  // namespace

bool TfrmKtrb52::SaveDocument() {
    if (RefusedUnstarted()) return false;
    TdmKtrb52* dm = ReceiptModule();
    if (!dm || !Brokers()) return TfrmDouble::SaveDocument();
    // The header/body save's own number check, before the receipt's checks ask the server.
    if (!CheckDocumentNumber()) return false;
    const TFormMode mode = FormMode();
    TSaveChecks checks(*this, *dm);
    try {
        checks.openLines();
        if (!checks.arrivalQuantities()) plat::Abort();
        if (dm->cdsMain->State() == plat::dsEdit || dm->cdsMain->State() == plat::dsInsert)
            dm->cdsMain->Post();
        checks.supplierDocumentNumber(mode);
        checks.arrivalRequirement();
    } catch (...) {
        // A refused save leaves the document as typed, still being edited.
        if (FormMode() != TFormMode::Browse && dm->cdsMain->State() == plat::dsBrowse &&
            !dm->cdsMain->IsEmpty())
            dm->cdsMain->Edit();
        throw;
    }
    const bool saved = TfrmDouble::SaveDocument();
    plat::TClientDataSet* body = dm->cdsBody1;
    if (saved && mode == TFormMode::Edit && miConfirm && miConfirm->Enabled() &&
        dm->HasNoUnconfirmedLine() && !(body->Bof() && body->Eof())) {
        // The document is stored: a confirm its checks stop leaves it saved.
        try {
            ChangeDocStatus(3, false);
        } catch (const plat::EAbort&) {
        }
    }
    return saved;
}

bool TfrmKtrb52::RecalculateTotals() {
    TdmKtrb52* dm = ReceiptModule();
    if (!dm || !Brokers()) return true;
    plat::TClientDataSet* head = dm->cdsMain;
    plat::TClientDataSet* body = dm->cdsBody1;
    if (head->State() == plat::dsEdit || head->State() == plat::dsInsert) head->Post();
    if (body->State() == plat::dsEdit || body->State() == plat::dsInsert) body->Post();

    std::string setting = headText(mocth::SupplierTaxSetting);
    if (setting.empty()) setting = sys("SYS006");
    if (setting != "1") return true;

    auto value = [&](const char* name) { return head->FieldByName(name)->AsFloat(); };
    const std::string taxKind = headText(mocth::TaxKind);
    const bool taxIncluded = taxKind == "1";
    const double amount =
        taxIncluded ? value(mocth::NetAmount) + value(mocth::TaxAmount) : value(mocth::NetAmount);
    // Without a registered format the amounts round as their currency's.
    auto orCurrency = [dm](int decimals, const std::string& currency) {
        return decimals >= 0 ? decimals
                             : dm->GetCurrencyDigits(currency, TCurrencyDigitType::cdtMoney);
    };
    const std::string local = sys("SYS003");
    const int decimals =
        orCurrency(dm->GetFieldDecimals(mocth::ProcessingAmount), headText(mocth::Currency));
    const int localDecimals = orCurrency(dm->GetFieldDecimals(mocti::ReceiptCost), local);
    auto input = [&](int d, int ld) {
        return plat::VarArrayOf({headText(mocth::Currency), local, headText(mocth::TaxRate),
                                 taxKind, headText(mocth::ExchangeRate), d, ld, amount, 0, 0});
    };
    Variant split;
    if (taxIncluded && headText(mocth::InvoiceKind) == "T")
        split = SplitTaxByRate(input(decimals, localDecimals));
    else if (taxIncluded)
        split = SplitTaxAmounts(input(decimals, localDecimals));
    else
        split = SplitTaxAmounts(input(orCurrency(dm->GetKindDecimals(6), headText(mocth::Currency)),
                                      orCurrency(dm->GetKindDecimals(1), local)));

    const std::array<const char*, 4> totals = {mocth::NetAmount, mocth::TaxAmount,
                                               mocth::LocalNetAmount, mocth::LocalTaxAmount};
    const std::array<int, 4> rounding = {decimals, decimals, localDecimals, localDecimals};
    bool equal = true;
    for (int i = 0; i < 4; ++i) equal = equal && split[i].AsFloat() == value(totals[i]);
    if (equal) return true;

    Variant residues = plat::VarArrayOf({"", "", "", ""});
    for (int i = 0; i < 4; ++i)
        residues[i] =
            plat::FloatToStr(RoundToDecimals(rounding[i], split[i].AsFloat() - value(totals[i])));
    bool placed = false;
    {
        // Residues move amounts only: the line checks have nothing to say.
        // The search for the largest line runs no line scroll rules; they run
        // once, on the line the search ends on.
        struct TQuietLines {
            TfrmKtrb52& form;
            plat::TDataSet* body;
            bool checks = form.LineCheckActive;
            plat::TDataSetNotifyEvent before = body->BeforeScroll, after = body->AfterScroll;
            ~TQuietLines() {
                form.LineCheckActive = checks;
                body->BeforeScroll = before;
                body->AfterScroll = after;
            }
        } quiet{*this, body};
        LineCheckActive = false;
        body->BeforeScroll = {};
        body->AfterScroll = {};
        placed = Tailfix(body, dm->dsBody1, residues,
                         plat::VarArrayOf({mocti::NetAmount, mocti::TaxAmount,
                                           mocti::LocalNetAmount, mocti::LocalTaxAmount}));
    }
    if (body->AfterScroll) body->AfterScroll(body);
    if (!placed) Brokers()->ShowMessageCode("W", "100083", {Variant("")}, 936, true);
    return true;
}

}  // namespace ktrb
