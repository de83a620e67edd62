#include "standins/print/printed_document.h"

#include <cmath>

#include "platform/core/numbers.h"
#include "platform/core/text.h"
#include "standins/appserver/sqlite_db.h"
#include "standins/servers/variant_args.h"

namespace standin {

namespace {

enum class Kind { Text, Date, Quantity, Amount, Price, Rate, Status };

struct FieldDef {
    const char* zh;
    const char* en;
    const char* expr;  // SQL over the layout's tables
    Kind kind;
    double width;  // lines only: share of the line's width
    bool total;    // lines only: summed into the totals row
};

struct ReportLayout {
    const char* program;
    const char* titleZh;
    const char* titleEn;
    int keyCount;
    const char* headFrom;  // FROM ... WHERE with ?1 .. ?keyCount
    const char* bodyFrom;  // FROM ... WHERE ... ORDER BY
    std::vector<FieldDef> header;
    std::vector<FieldDef> lines;
};

// The subcontract receipt's voucher: header and lines of MOCTH/MOCTI, with
// the names of the codes they carry.
const ReportLayout kLayouts[] = {
    {"KTRD52",
     "委外进货单",
     "Subcontract Receipt",
     2,
     " FROM MOCTH LEFT JOIN CMSMQ ON MQ001 = TH001 LEFT JOIN CMSMB ON MB001 = TH004"
     " LEFT JOIN PURMA ON MA001 = TH005 WHERE TH001 = ?1 AND TH002 = ?2",
     " FROM MOCTI LEFT JOIN CMSMC ON MC001 = TI009 WHERE TI001 = ?1 AND TI002 = ?2"
     " ORDER BY TI003",
     {
         {"单别", "Type", "TH001 || ' ' || IFNULL(MQ002, '')", Kind::Text, 0, false},
         {"单号", "Number", "TH002", Kind::Text, 0, false},
         {"进货日期", "Receipt date", "TH003", Kind::Date, 0, false},
         {"单据日期", "Document date", "TH029", Kind::Date, 0, false},
         {"供应商", "Supplier", "TH005 || ' ' || IFNULL(MA002, '')", Kind::Text, 0, false},
         {"供应商单号", "Supplier doc. no.", "TH006", Kind::Text, 0, false},
         {"工厂", "Factory", "TH004 || ' ' || IFNULL(MB002, '')", Kind::Text, 0, false},
         {"币种", "Currency", "TH007", Kind::Text, 0, false},
         {"汇率", "Exchange rate", "TH008", Kind::Rate, 0, false},
         {"加工金额", "Proc. amount", "TH018", Kind::Amount, 0, false},
         {"税额", "Tax", "TH020", Kind::Amount, 0, false},
         {"审核码", "Status", "TH023", Kind::Status, 0, false},
         {"备注", "Notes", "TH010", Kind::Text, 0, false},
     },
     {
         {"序号", "Line", "TI003", Kind::Text, 0.55, false},
         {"品号", "Item", "TI004", Kind::Text, 1.5, false},
         {"品名", "Name", "TI005", Kind::Text, 2.0, false},
         {"规格", "Spec.", "TI006", Kind::Text, 1.5, false},
         {"进货数量", "Received", "TI007", Kind::Quantity, 1.0, true},
         {"单位", "Unit", "TI008", Kind::Text, 0.5, false},
         {"验收数量", "Accepted", "TI019", Kind::Quantity, 1.0, true},
         {"报废数量", "Scrapped", "TI021", Kind::Quantity, 0.9, true},
         {"仓库", "Warehouse", "TI009 || ' ' || IFNULL(MC002, '')", Kind::Text, 1.3, false},
         {"委外工单", "Work order", "CASE WHEN TI013 = '' THEN '' ELSE TI013 || '-' || TI014 END",
          Kind::Text, 1.5, false},
         {"单价", "Price", "TI024", Kind::Price, 0.9, false},
         {"加工金额", "Amount", "TI025", Kind::Amount, 1.1, true},
     }},
};

const ReportLayout* FindLayout(const std::string& program) {
    const std::string code = plat::UpperCase(plat::Trim(program));
    for (const ReportLayout& l : kLayouts)
        if (code == l.program) return &l;
    return nullptr;
}

std::string StatusText(const std::string& code, PrintLanguage lang) {
    struct S {
        const char* code;
        const char* zh;
        const char* en;
    };
    static const S kStatus[] = {
        {"N", "未审核", "Unconfirmed"}, {"Y", "已审核", "Confirmed"}, {"V", "作废", "Void"}};
    for (const S& s : kStatus)
        if (code == s.code) return lang == PrintLanguage::English ? s.en : s.zh;
    return code;
}

std::string Shown(const plat::Variant& v, Kind kind, PrintLanguage lang) {
    switch (kind) {
        case Kind::Date: {
            const std::string d = plat::Trim(plat::VarToStr(v));
            return d.size() == 8 ? d.substr(0, 4) + "/" + d.substr(4, 2) + "/" + d.substr(6, 2) : d;
        }
        case Kind::Quantity:
            return plat::FormatFloat("#,##0.###", plat::VarToFloatDef(v));
        case Kind::Amount:
            return plat::FormatFloat("#,##0.00", plat::VarToFloatDef(v));
        case Kind::Price:
            return plat::FormatFloat("#,##0.0000", plat::VarToFloatDef(v));
        case Kind::Rate:
            return plat::FormatFloat("0.######", plat::VarToFloatDef(v));
        case Kind::Status:
            return StatusText(plat::Trim(plat::VarToStr(v)), lang);
        case Kind::Text:
            break;
    }
    return plat::TrimRight(plat::VarToStr(v));
}

std::string Select(const std::vector<FieldDef>& fields) {
    std::string sql = "SELECT ";
    for (size_t i = 0; i < fields.size(); ++i) sql += (i ? ", " : "") + std::string(fields[i].expr);
    return sql;
}

const char* Label(const FieldDef& f, PrintLanguage lang) {
    return lang == PrintLanguage::English ? f.en : f.zh;
}

}  // namespace

bool HasReportLayout(const std::string& reportProgram) {
    return FindLayout(reportProgram) != nullptr;
}

bool LoadPrintedDocument(Database& db, const std::string& reportProgram, const plat::Variant& keys,
                         PrintLanguage language, PrintedDocument& doc, std::string& error) {
    doc = PrintedDocument();
    const ReportLayout* layout = FindLayout(reportProgram);
    if (!layout) {
        error = "no print layout for report program \"" + reportProgram + "\"";
        return false;
    }
    if (!keys.IsArray() || ArgCount(keys) < layout->keyCount) {
        error = "the report program " + std::string(layout->program) + " needs " +
                std::to_string(layout->keyCount) + " key values";
        return false;
    }
    std::vector<plat::Variant> params;
    for (int i = 0; i < layout->keyCount; ++i)
        params.push_back(plat::Trim(ArgText(ArgItem(keys, i))));
    std::lock_guard<std::recursive_mutex> lock(db.Mutex());
    auto head = db.Query(Select(layout->header) + layout->headFrom, params);
    if (head.empty()) {
        error = "no document " + ArgText(keys) + " to print";
        return false;
    }
    doc.title = language == PrintLanguage::English ? layout->titleEn : layout->titleZh;
    for (size_t i = 0; i < layout->header.size(); ++i)
        doc.header.push_back({Label(layout->header[i], language),
                              Shown(head[0][i], layout->header[i].kind, language)});
    std::vector<double> sums(layout->lines.size(), 0.0);
    bool anyTotal = false;
    for (const FieldDef& f : layout->lines) {
        doc.columns.push_back({Label(f, language), f.width, f.kind != Kind::Text});
        anyTotal = anyTotal || f.total;
    }
    auto lines = db.Query(Select(layout->lines) + layout->bodyFrom, params);
    doc.rows.reserve(lines.size());
    for (const auto& line : lines) {
        std::vector<std::string> row;
        row.reserve(layout->lines.size());
        for (size_t i = 0; i < layout->lines.size(); ++i) {
            row.push_back(Shown(line[i], layout->lines[i].kind, language));
            if (layout->lines[i].total) sums[i] += plat::VarToFloatDef(line[i]);
        }
        doc.rows.push_back(std::move(row));
    }
    if (anyTotal) {
        doc.totals.assign(layout->lines.size(), "");
        doc.totals[0] = language == PrintLanguage::English ? "Total" : "合计";
        for (size_t i = 0; i < layout->lines.size(); ++i)
            if (layout->lines[i].total)
                doc.totals[i] = Shown(sums[i], layout->lines[i].kind, language);
    }
    return true;
}

}  // namespace standin
