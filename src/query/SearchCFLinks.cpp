// The lookup window's reach outside itself: the program a double-click
// starts, the user's price and amount rights, and the saved column layouts.
#include "controls/FDBGrid.h"
#include "dataframe/Connection.h"
#include "dataframe/knlBase.h"
#include "platform/automation/oleobject.h"
#include "platform/core/format.h"
#include "platform/core/text.h"
#include "platform/system/files.h"
#include "platform/system/paths.h"
#include "platform/ui/forms.h"
#include "query/SearchCF.h"
#include "runtime/LanguageController.h"
#include "runtime/LibStrs.h"
#include "runtime/Reply.h"

namespace ktrb {

using plat::TDataSet;
using plat::TField;
using plat::Variant;

namespace {

constexpr const char* kWorkCenter = "BrannixCenter.Manager";

struct ExecWorkText {
    int result;
    const char* key;
    const char* text;
};
constexpr ExecWorkText kExecWorkTexts[] = {
    {-1, "SearchCF2", "[%s]程序不存在!"},
    {-2, "SearchCF3", "[%s]程序装入失败!"},
    {-3, "SearchCF4", "[%s]程序启动时无法录入公用元件!"},
    {-4, "SearchCF5", "[%s]程序启动时取程序权限错误!"},
    {-5, "SearchCF6", "[%s]程序无运行权限!"},
    {-6, "SearchCF7", "[%s]程序起始化错误!"},
    {-7, "SearchCF8", "[%s]程序发生不可预知的错误!"},
};

}  // namespace

TLookupLink ParseLookupLink(const std::string& entry) {
    std::string rest = entry;
    TLookupLink link;
    link.Program = CutToken(rest, ",");
    link.Source1 = CutToken(rest, ",");
    link.Source2 = CutToken(rest, ",");
    link.Target1 = CutToken(rest, ",");
    link.Target2 = rest;
    return link;
}

std::string LinkCondition(const TLookupLink& link, const std::string& value1,
                          const std::string& value2) {
    return " " + link.Target1 + "=" + plat::QuotedStr(value1) + " AND" + " " + link.Target2 + "=" +
           plat::QuotedStr(value2);
}

// ---- linked programs ------------------------------------------------------------

void TfrmSearch::gdMainDblClick(plat::TObject*) {
    plat::TCursorGuard hourGlass(plat::crHourGlass);
    openLinkedRow(cdsMain, MainLinks);
}

void TfrmSearch::gdbodyDblClick(plat::TObject*) {
    plat::TCursorGuard hourGlass(plat::crHourGlass);
    openLinkedRow(cdsbody, BodyLinks);
}

void TfrmSearch::openLinkedRow(TDataSet* dataSet, std::string& links) {
    if (plat::Trim(links).empty()) return;
    links = plat::Trim(links);
    std::string entry;
    try {
        entry = TokenAt(links, ";", dataSet->FieldByName("LINKS")->AsInteger());
    } catch (const std::exception&) {
        entry = links;
    }
    if (plat::Trim(entry).empty()) return;
    const TLookupLink link = ParseLookupLink(entry);
    TField* source1 = dataSet->FieldByName(link.Source1);
    TField* source2 = dataSet->FieldByName(link.Source2);
    const std::string v1 = source1->AsString(), v2 = source2->AsString();
    if (!plat::Trim(v1 + v2).empty()) {
        OpenLinkedProgram(LinkCondition(link, v1, v2), link.Program);
        return;
    }
    if (Broker)
        Broker->ShowMessageCode("E", "200139",
                                {Variant(source1->DisplayName() + "-" + source2->DisplayName())});
}

int TfrmSearch::OpenLinkedProgram(const std::string& whereText, const std::string& programCode) {
    if (plat::Trim(whereText).empty()) return 0;
    // A host object of the window's own: the broker keeps the one the host
    // gave it, which the document form goes on using.
    plat::DispatchPtr host = plat::CreateOleObject(kWorkCenter);
    Variant target = plat::VarArrayOf({Variant(Broker ? Broker->UserID : ""),
                                       Variant(Broker ? Broker->CompanyID : ""),
                                       Variant(programCode), Variant((int64_t)Handle())});
    Variant where = whereText;
    Variant options = plat::VarArrayOf({Variant(0), Variant(256), Variant()});
    Variant kind = 2;
    Variant output;
    const int result =
        (int)plat::VarToIntDef(host->Call("ExecWork", target, where, options, kind, output), 0);
    if (result >= 0) return result;
    std::string text;
    for (const ExecWorkText& t : kExecWorkTexts)
        if (t.result == result) text = LangMessage(false, "TfrmSearch", t.key, t.text);
    if (text.empty()) return result;
    std::string name = programCode;
    if (Broker) {
        Variant row = ReplyFirstRow(Broker->CallServerMethod(
            "SimpleSql", plat::VarArrayOf({Variant(" SELECT MB002 FROM ADMMB  WHERE MB001=" +
                                                   plat::QuotedStr(programCode)),
                                           Variant("MB002")})));
        if (row.IsArray()) name = ReplyText(row, 0);
    }
    showError(plat::Format(text, {Variant(name)}), plat::TMsgDlgType::mtError);
    return result;
}

// ---- rights ---------------------------------------------------------------------

void TfrmSearch::LoadPriceAmountRights(const std::string& programID) {
    PriceVisible = true;
    AmountVisible = true;
    if (!Broker) return;
    const std::string d = Broker->SignOnKey;
    const std::string program = plat::QuotedStr(programID);
    const std::string sql =
        " SELECT MF005,CASE WHEN A.MG006 IS NOT NULL THEN A.MG006 ELSE B.MG006 END MG006  FROM " +
        d + "..ADMMF " + " LEFT JOIN " + d + "..ADMMG A ON A.MG001=MF001 AND A.MG002=" + program +
        " LEFT JOIN " + d +
        "..ADMMG B ON B.MG001='**********' AND B.MG009=MF004 AND B.MG002=" + program +
        " WHERE MF001=" + plat::QuotedStr(Broker->UserID);
    Variant row = ReplyFirstRow(
        Broker->CallServerMethod("SimpleSql", plat::VarArrayOf({Variant(sql), "MF005,MG006"})));
    if (!row.IsArray()) return;
    if (ReplyText(row, 0) != "N") return;
    const std::string rights = ReplyText(row, 1);
    auto allows = [&](size_t i) {
        return rights.size() > i && (rights[i] == 'Y' || rights[i] == 'R');
    };
    PriceVisible = allows(6);
    AmountVisible = allows(7);
}

// ---- layouts ----------------------------------------------------------------------

std::string TfrmSearch::LayoutPath(const std::string& layoutName) const {
    const std::string user = Broker ? Broker->UserID : std::string();
    return GridLayoutFolder(user) + layoutName + kLayoutExtension;
}

void TfrmSearch::LoadLayout(const std::string& layoutName, TDataSet* dataSet) {
    if (!dataSet || dataSet->Name().empty()) return;
    LoadLayoutFile(LayoutPath(layoutName), dataSet);
}

void TfrmSearch::LoadLayoutFile(const std::string& path, TDataSet* dataSet) {
    if (!plat::FileExists(path)) return;
    LoadFieldLayout(path, dataSet, -1);
}

void TfrmSearch::SaveLayout(const std::string& layoutName, TDataSet* dataSet) {
    if (!dataSet || dataSet->Name().empty()) return;
    SaveLayoutFile(LayoutPath(layoutName), dataSet);
}

void TfrmSearch::SaveLayoutFile(const std::string& path, TDataSet* dataSet) {
    const std::string folder = plat::ExtractFilePath(path);
    if (!folder.empty() && !plat::DirectoryExists(folder)) plat::ForceDirectories(folder);
    SaveFieldLayout(path, dataSet, -1);
}

void TfrmSearch::GetGridSetting1Click(plat::TObject*) {
    const std::string name = MainTable + "-" + MainKind;
    if (gdMain->Visible()) LoadLayout(name, cdsMain);
    if (gdbody->Visible()) LoadLayout(name, cdsbody);
    RebuildColumns(gdMain);
    RebuildColumns(gdbody);
}

void TfrmSearch::SetGridSetting1Click(plat::TObject*) {
    const std::string name = MainTable + "-" + MainKind;
    if (gdMain->Visible()) SaveLayout(name, cdsMain);
    if (gdbody->Visible()) SaveLayout(name, cdsbody);
}

void TfrmSearch::FormShow(plat::TObject* sender) {
    TQVForm::FormShow(sender);
    GetGridSetting1Click(sender);
}

}  // namespace ktrb
