// The lookup window's computed columns: cost, gross margin and margin rate of
// quotation, sales-order and delivery rows, and the summed stock quantity of
// the body rows. The values go into the local rows only.
#include <functional>

#include "dataframe/Connection.h"
#include "platform/core/numbers.h"
#include "platform/core/text.h"
#include "platform/data/dataset.h"
#include "query/SearchCF.h"
#include "runtime/LibStrs.h"

namespace ktrb {

using plat::TDataSet;
using plat::Variant;

namespace {

// The fields a margin computation reads and writes for one kind of row.
struct MarginFields {
    const char* price;
    const char* taxType;
    const char* currency;
    const char* taxRate;
    const char* exchangeRate;
    const char* amount;
    const char* quantity;
    const char* item;
    const char* unit;
    const char* localPrice;   // written
    const char* localAmount;  // written
};

constexpr MarginFields kSalesOrder{"TD011", "TC016", "TC008", "TD037",  "TC009", "TD012",
                                   "TD008", "TD004", "TD010", "TD011C", "TD012C"};
constexpr MarginFields kQuotation{"TB009", "TA022", "TA007", "TB026",  "TA008", "TB010",
                                  "TB007", "TB004", "TB008", "TB009C", "TB010C"};

class Row {
  public:
    explicit Row(TDataSet* ds) : ds_(ds) {}
    Variant value(const char* name) const { return ds_->FieldByName(name)->Value(); }
    double num(const char* name) const { return ds_->FieldByName(name)->AsFloat(); }
    std::string text(const char* name) const { return ds_->FieldByName(name)->AsString(); }
    // A decimal count kept as text; def when it is not a number.
    int decimals(const char* name, int def) const {
        return plat::StrToIntDef(plat::Trim(text(name)), def);
    }
    void set(const char* name, double v) const { ds_->FieldByName(name)->SetAsFloat(v); }

  private:
    TDataSet* ds_;
};

double number(const Variant& v) {
    return plat::VarToFloatDef(v, 0);
}

// Runs compute on every row from the first to the end; each row is put in
// edit, written by compute and posted.
template <class F>
void walkRows(TDataSet* ds, F compute) {
    ds->First();
    while (!ds->Eof()) {
        compute();
        ds->Next();
    }
}

}  // namespace

void TfrmSearch::ApplyComputedColumns(const std::string& computeKinds) {
    const std::string head = plat::Trim(TokenAt(computeKinds, ";", 1));
    const std::string body = plat::Trim(TokenAt(computeKinds, ";", 2));
    if (head == "ORDB15")
        CalcQuotationMargins(cdsMain);
    else if (head == "ORDB16")
        CalcSalesOrderMargins(cdsMain);
    else if (head == "ORDB18")
        CalcDeliveryMargins(cdsMain);
    if (body == "STKB31") CalcStockQuantities(cdsbody);
    ComputeKind = head;
}

Variant TfrmSearch::serverCall(const std::string& name, const Variant& args) {
    return Broker ? Broker->CallServerMethod(name, args) : Variant();
}

namespace {

// Unit cost from the stock quantity and cost, by stock unit or through the
// server's conversion to the stock unit; 0 where a divisor is 0.
template <class Call>
double stockUnitCost(const Row& r, const std::string& sys024, const char* item, Call call) {
    if (sys024 != "2") {
        double qty = r.num("MB064");
        return qty != 0 ? r.num("MB065") / qty : 0;
    }
    double s = number(call("QtyDToS", plat::VarArrayOf({r.value(item), r.value("MB064"), 0,
                                                        r.value("MB004"), r.value("MB004")})));
    return s != 0 ? r.num("MB065") / s : 0;
}

}  // namespace

static void calcMargins(TDataSet* ds, const MarginFields& f, TBrokers* broker,
                        const std::function<Variant(const std::string&, const Variant&)>& call) {
    const std::string sys003 = broker ? broker->GetSysParam("SYS003") : "";
    const std::string sys024 = broker ? broker->GetSysParam("SYS024") : "";
    walkRows(ds, [&] {
        Row r(ds);
        double p =
            number(call("ChangeTax", plat::VarArrayOf({r.value(f.price), "N", r.value(f.taxType),
                                                       r.value(f.currency), r.value(f.taxRate)})));
        double localPrice = RoundToDecimals(r.decimals("MF003", 6), r.num(f.exchangeRate) * p);
        const int amountDecimals = r.decimals("MF004", 2);
        Variant split = SplitTaxAmounts(
            plat::VarArrayOf({r.value(f.currency), sys003, r.value(f.taxRate), r.value(f.taxType),
                              r.value(f.exchangeRate), amountDecimals, amountDecimals,
                              r.value(f.amount), r.value(f.quantity), r.value(f.price)}));
        double localAmount = 0;
        if (split.IsArray() && split.ArrayCount() > 2) {
            Variant v = split[split.LowBound() + 2];
            if (!ktrb::VarIsBlank(v)) localAmount = number(v);
        }
        double c = stockUnitCost(r, sys024, f.item, call);
        if (r.text(f.unit) != r.text("MB004") && r.num("MD003") != 0)
            c = r.num("MD004") * c / r.num("MD003");
        double sumCost = RoundToDecimals(r.decimals("MF006", 2), r.num(f.quantity) * c);
        double margin = localAmount - sumCost;
        ds->Edit();
        r.set(f.localPrice, localPrice);
        r.set(f.localAmount, localAmount);
        r.set("SUMCOST", sumCost);
        r.set("SUMML", margin);
        r.set("SUMRATE", localAmount != 0 ? margin / localAmount : 0);
        ds->Post();
    });
}

void TfrmSearch::CalcSalesOrderMargins(TDataSet* dataSet) {
    calcMargins(dataSet, kSalesOrder, Broker,
                [this](const std::string& n, const Variant& a) { return serverCall(n, a); });
}

void TfrmSearch::CalcQuotationMargins(TDataSet* dataSet) {
    calcMargins(dataSet, kQuotation, Broker,
                [this](const std::string& n, const Variant& a) { return serverCall(n, a); });
}

void TfrmSearch::CalcDeliveryMargins(TDataSet* ds) {
    const std::string sys014 = Broker ? Broker->GetSysParam("SYS014") : "";
    const std::string sys024 = Broker ? Broker->GetSysParam("SYS024") : "";
    auto call = [this](const std::string& n, const Variant& a) { return serverCall(n, a); };
    walkRows(ds, [&] {
        Row r(ds);
        double q = number(call("QtyAdd", plat::VarArrayOf({r.value("TH004"), r.value("TH008"),
                                                           r.value("TH024"), ""})));
        double cost = 0;
        if (sys014 == "1") {
            // Standard cost; an item without a conversion counts its own units.
            try {
                Variant converted =
                    call("UnitConvert", plat::VarArrayOf({r.value("TH004"), q, r.value("TH009")}));
                q = number(converted[converted.LowBound()]);
            } catch (const std::exception&) {
                q = r.num("TH008") + r.num("TH024");
            }
            cost = (r.num("MB057") + r.num("MB058") + r.num("MB059") + r.num("MB060")) * q;
        } else {
            double c = stockUnitCost(r, sys024, "TH004", call);
            if (sys024 == "2")
                q = number(call("QtyDToS", plat::VarArrayOf({r.value("TH004"), q, 0,
                                                             r.value("TH009"), r.value("TH009")})));
            cost = q * c;
        }
        const double amount = r.num("TH037");
        const double margin = amount - cost;
        ds->Edit();
        r.set("SUMCOST", RoundToDecimals(r.decimals("MF004", 2), cost));
        r.set("SUMML", RoundToDecimals(r.decimals("MF006", 2), margin));
        r.set("SUMRATE", amount != 0 ? margin / amount : 0);
        ds->Post();
    });
}

void TfrmSearch::CalcStockQuantities(TDataSet* ds) {
    walkRows(ds, [&] {
        Row r(ds);
        try {
            double q = number(serverCall(
                "QtyADD",
                plat::VarArrayOf({r.value("INVTG004"), r.value("TI009"), r.value("TI009C"), ""})));
            ds->Edit();
            r.set("TI009", q);
            ds->Post();
        } catch (const std::exception&) {
            // A row the server cannot sum keeps its quantity.
            if (ds->State() == plat::dsEdit) ds->Cancel();
        }
    });
}

}  // namespace ktrb
