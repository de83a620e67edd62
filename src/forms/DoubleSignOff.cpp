// Sign-off of a header/body document: the checks, the job posted through the
// broker, the buttons a waiting sign-off blocks, and the sign-off status and
// approval-opinion views.
#include <algorithm>

#include "forms/DoubleCF.h"
#include "forms/FSVInfo.h"
#include "forms/SetSVINFO.h"
#include "forms/SignOffImages.h"
#include "platform/automation/oleobject.h"
#include "platform/core/dates.h"
#include "platform/core/format.h"
#include "platform/core/text.h"
#include "platform/system/desktop.h"
#include "platform/system/files.h"
#include "platform/system/paths.h"
#include "platform/ui/forms.h"
#include "runtime/Brokers.h"
#include "runtime/LibStrs.h"
#include "runtime/LibXml.h"
#include "runtime/MireltaINI.h"
#include "runtime/PropAccess.h"
#include "runtime/Reply.h"

namespace ktrb {

using plat::Variant;

namespace {

const char* const kPackage = "TfrmDouble";
const char* const kKeySeparator = "||";
constexpr char kSettingSeparator = '\x03';

std::vector<std::string> SplitSettings(const std::string& row) {
    std::vector<std::string> out;
    size_t at = 0;
    for (;;) {
        size_t sep = row.find(kSettingSeparator, at);
        out.push_back(row.substr(at, sep == std::string::npos ? std::string::npos : sep - at));
        if (sep == std::string::npos) break;
        at = sep + 1;
    }
    out.resize(std::max<size_t>(out.size(), 9));
    return out;
}

bool StatusIn(const std::string& status, const char* allowed) {
    return !status.empty() && std::string(allowed).find(status) != std::string::npos;
}

std::string ActionCode(uint8_t kind) {
    switch (kind) {
        case 3:
            return "0";
        case 2:
            return "1";
        case 1:
            return "2";
        case 0:
            return "3";
        default:
            return "-1";
    }
}

std::string JoinKeys(const std::vector<std::string>& values) {
    std::string out;
    for (size_t i = 0; i < values.size(); ++i) out += (i ? kKeySeparator : "") + values[i];
    return out;
}

std::string ItemText(const Variant& a, int i) {
    const Variant v = ReplyAt(a, i);
    return v.IsArray() ? std::string() : plat::VarToStr(v);
}

}  // namespace

// ---- XML of the outside sign-off system, read as plain text ----

bool TakeXmlElement(const std::string& name, std::string& text, std::string& value) {
    value.clear();
    const std::string open = "<" + name + ">", close = "</" + name + ">";
    const size_t begin = text.find(open);
    if (begin == std::string::npos) return false;
    const size_t content = begin + open.size();
    const size_t end = text.find(close, content);
    if (end == std::string::npos) return false;
    value = text.substr(content, end - content);
    text.erase(begin, end + close.size() - begin);
    return true;
}

namespace {

// The reply comes from an outside server: an element opened and never closed
// ends the reading instead of being searched for again and again.
struct ApproveReader {
    std::string malformed;
    bool Take(const std::string& name, std::string& text, std::string& value) {
        if (TakeXmlElement(name, text, value)) return true;
        if (malformed.empty() && text.find("<" + name + ">") != std::string::npos)
            malformed = "<" + name + ">";
        return false;
    }
};

size_t CountOf(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

}  // namespace

bool ParseApproveInfo(const std::string& reply, Variant& rows, std::string& errorNumber,
                      std::string& errorText) {
    rows = Variant();
    errorNumber.clear();
    errorText.clear();
    ApproveReader r;
    auto refused = [&] {
        errorNumber.clear();
        errorText = r.malformed;
        return false;
    };
    std::string text = reply, retVal, approveInfo, retInfo, list;
    r.Take("RetVal", text, retVal);
    r.Take("ApproveInfo", retVal, approveInfo);
    r.Take("RetInfo", retVal, retInfo);
    r.Take("ErrNum", retInfo, errorNumber);
    r.Take("ErrDis", retInfo, errorText);
    if (!r.malformed.empty()) return refused();
    if (errorNumber != "0") return false;
    std::vector<Variant> out;
    r.Take("PassNoInfoList", approveInfo, list);
    std::string pass;
    while (!plat::Trim(list).empty() && r.Take("PassNoInfo", list, pass)) {
        std::string passNo, branches, branch;
        r.Take("PassNo", pass, passNo);
        r.Take("BranchInfoList", pass, branches);
        while (!plat::Trim(branches).empty() && r.Take("BranchInfo", branches, branch)) {
            std::string branchNo, role;
            r.Take("BranchNo", branch, branchNo);
            r.Take("FlowRole", branch, role);
            static const char* const kPerson[] = {
                "RecTime",       "ApproveTime",     "ApproveRet",       "RecPersonId",
                "RecPersonName", "ApprovePersonId", "ApprovePersonName"};
            for (size_t n = CountOf(branch, "<RecPersonId>"); n > 0 && r.malformed.empty(); --n) {
                std::vector<Variant> row = {passNo, branchNo, role};
                for (const char* name : kPerson) {
                    std::string v;
                    r.Take(name, branch, v);
                    row.push_back(v);
                }
                out.push_back(Variant::ArrayOf(row));
            }
            if (!r.malformed.empty()) return refused();
        }
    }
    if (!r.malformed.empty()) return refused();
    out.push_back(Variant());
    rows = Variant::ArrayOf(out);
    return true;
}

// ---- settings ----

void TfrmDouble::LoadSignOffDocTypeSettings() {
    DocTypes->Clear();
    DocTypeSettings->Clear();
    TBrokers* b = Brokers();
    if (!b) return;
    const std::string sql =
        " SELECT MC002, MC006, '' AAA, '' MD003, '' MD005, '' MD004,'' BBB, MC007, MC008, 'N' CCC "
        " FROM $$SVSMC  WHERE MC001 = " +
        plat::QuotedStr(b->ProgramCode) + " ORDER BY MC002 ";
    Variant reply;
    try {
        reply = b->CallServerMethod(
            "SimpleSql",
            plat::VarArrayOf({sql, "MC002,MC006,AAA,MD003,MD005,MD004,BBB,MC007,MC008,CCC"}));
    } catch (const std::exception&) {
        return;
    }
    if (!reply.IsArray()) return;
    for (int i = reply.LowBound(); i <= reply.HighBound(); ++i) {
        const Variant& row = reply[i];
        if (!row.IsArray() || row.ArrayCount() < 10) continue;
        std::string rest;
        for (int j = 1; j < 10; ++j) rest += (j > 1 ? "\x03" : "") + ItemText(row, j);
        DocTypes->Add(ItemText(row, 0));
        DocTypeSettings->Add(rest);
    }
}

// ---- checks ----

bool TfrmDouble::CanSendForSignOff(uint8_t kind) {
    TdmDouble* dm = DoubleModule();
    if (!dm) return false;
    dm->StoreKeyValues();
    const std::string docType = plat::VarToStr(dm->KeyValues[0]);
    if (!btnSorvanta || !btnSorvanta->Visible() || DocTypes->Count() == 0) return false;
    int row = DocTypes->IndexOf(docType);
    if (row < 0) row = DocTypes->IndexOf("****");
    if (row < 0 || row >= DocTypeSettings->Count()) return false;
    const std::vector<std::string> e = SplitSettings(DocTypeSettings->Strings(row));
    plat::TField* confirm = headField(ConfirmFieldName());
    plat::TField* signOff = headField(signOffField_);
    const std::string code = confirm ? confirm->AsString() : "";
    const std::string status = signOff ? signOff->AsString() : "";
    ConfirmAfterSave.clear();
    switch (kind) {
        case 3:
            if ((e[0] == "Y" || e[0] == "C" || e[0] == "y") && StatusIn(status, "02N") &&
                code == "N") {
                ConfirmAfterSave = e[0];
                return true;
            }
            return false;
        case 2:
            return e[6] == "Y" && StatusIn(status, "03N") && code == "Y";
        case 1:
            return e[7] == "Y" && StatusIn(status, "02N") && code == "N";
        case 0:
            return e[8] == "Y" && StatusIn(status, "0N") && code == "V";
        default:
            return false;
    }
}

void TfrmDouble::UpdateSignOffButtons() {
    if (!DoubleModule() || !btnSorvanta) return;
    btnSorvanta->SetEnabled(btnSorvanta->Visible() && btnFirst && btnFirst->Enabled());
    plat::TField* signOff = headField(signOffField_);
    if (!btnSorvanta->Visible() || !signOff) return;
    miViewSorvanta->SetEnabled(true);
    const std::string status = signOff->AsString();
    if (status == "1" || status == "4" || status == "5" || status == "6" || status == "S") {
        for (plat::TToolButton* b : {btnEdit, btnDelete, btnConfirm, btnUnConfirm, btnInvalid})
            if (b) b->SetEnabled(false);
        for (plat::TMenuItem* m : {miEdit, miDelete, miConfirm, miUnConfirm, miInvalid, miGoConfirm,
                                   miGoUnConfirm, miGoInvalid})
            if (m) m->SetEnabled(false);
    } else if (status == "0" || status == "2" || status == "3") {
        struct Pair {
            plat::TMenuItem* item;
            uint8_t kind;
            plat::TToolButton* button;
            plat::TMenuItem* direct;
        };
        for (const Pair& p : {Pair{miGoConfirm, 3, btnConfirm, miConfirm},
                              Pair{miGoUnConfirm, 2, btnUnConfirm, miUnConfirm},
                              Pair{miGoInvalid, 1, btnInvalid, miInvalid}}) {
            p.item->SetEnabled(p.item->Enabled() && CanSendForSignOff(p.kind));
            const bool direct = p.button && p.button->Enabled() && !p.item->Enabled();
            if (p.button) p.button->SetEnabled(direct);
            if (p.direct) p.direct->SetEnabled(direct);
        }
    } else {
        for (plat::TMenuItem* m : {miGoConfirm, miGoUnConfirm, miGoInvalid, miViewSorvanta})
            m->SetEnabled(false);
    }
}

bool TfrmDouble::IsSignOffJobQueued() {
    TBrokers* b = Brokers();
    Variant values;
    return b && b->CheckValue(
                    "SVJOBQUE", "02",
                    plat::VarArrayOf({b->CompanyID, b->ProgramCode, RecordKeyText(false)}), values);
}

// ---- images ----

namespace {

// JPG when the program master asks for it with a "§", else GIF.
std::string ImageExtension(TBrokers& b) {
    return b.MasterElement(6).find("§") != std::string::npos ? ".JPG" : ".GIF";
}

std::string ParentFolder(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

void TfrmDouble::CreateSignOffImages(const std::string& userId, const std::string& company,
                                     std::string& names, const std::string& voucherFormat,
                                     const std::string& keyText, const std::string& reportProgram) {
    TBrokers* b = Brokers();
    if (!b) throw plat::Exception("DoubleCF: no broker to print the sign-off images");
    const std::string ext = ImageExtension(*b);
    // The user's own folder under "c_temp"; a user ID never leaves it.
    const std::string folder = plat::IncludeTrailingPathDelimiter(
        plat::IncludeTrailingPathDelimiter(TMireltaIniC().ClientPath) + "c_temp/" +
        SafeFolderName(userId));
    if (!plat::ForceDirectories(folder))
        throw plat::EInOutError("DoubleCF: cannot create the image folder " + folder);
    const std::string name = SignOffImageName(keyText);
    for (const std::string& old : FindSignOffImages(folder, name, ext)) plat::DeleteFile(old);
    names = folder + name;

    const std::vector<std::string> keys = headKeyTexts(true);
    Variant keyArray = Variant::CreateArray({0, int(keys.size()) - 1});
    for (size_t i = 0; i < keys.size(); ++i) keyArray[int(i)] = keys[i];
    Variant output;
    const Variant printed = b->ExecWork(
        plat::VarArrayOf({userId, company, reportProgram}),
        plat::VarArrayOf(
            {11, 0, plat::VarArrayOf({keyArray, ext == ".JPG" ? 1 : 2, names, 96, voucherFormat})}),
        output);
    if (output.IsDispatch())
        if (plat::DispatchPtr report = output.AsDispatch()) report->Call("Quit");
    // A print run that says it failed made no images worth sending.
    if (plat::VarToIntDef(printed, 0) == 0)
        throw plat::Exception("DoubleCF: the host printed no images of " + keyText);
}

void TfrmDouble::CollectSignOffImages(const std::string& names, std::string& sizes,
                                      bool deleteFiles, TMemoryStream& stream) {
    TBrokers* b = Brokers();
    if (!b) throw plat::Exception("DoubleCF: no broker to collect the sign-off images");
    const std::string folder = ParentFolder(names);
    const std::vector<std::string> files =
        FindSignOffImages(folder, names.substr(folder.size()), ImageExtension(*b));
    if (files.empty()) throw plat::EInOutError("DoubleCF: no sign-off images " + names);
    AppendFilesToStream(files, stream, sizes);
    if (deleteFiles)
        for (const std::string& file : files) plat::DeleteFile(file);
}

// ---- sending ----

bool TfrmDouble::AskSignOffInfo(Variant& value) {
    return TfrmSetSVINFO::Execute(this, value);
}

void TfrmDouble::SendForSignOff(uint8_t kind) {
    TBrokers* b = Brokers();
    TdmDouble* dm = DoubleModule();
    if (!b || !dm) return;
    if (b->GetSysParam("SYS060") == "Y") {
        if (IsSignOffJobQueued()) {
            b->ShowMessageCode("E", "200130");
            return;
        }
        if (b->GetSysParam("SYS174") != "Y" &&
            (b->MasterElement(5).empty() || b->MasterElement(6).empty()))
            return;
        if (!CanSendForSignOff(kind) || !dm->CheckDataRights()) return;
    }
    if (!CheckStatusChange(kind)) return;
    dm->StoreKeyValues();
    const std::string docType = plat::VarToStr(dm->KeyValues[0]);
    Variant record;
    if (!b->QueryData("ADMMQ", "02", plat::VarArrayOf({b->ProgramCode, docType}), record)) return;
    if (!record.IsArray() || record.ArrayCount() == 0) {
        b->ShowMessageCode("E", "200132");
        return;
    }
    // The sign-off fields: label, type letter and value of each, head or line.
    const std::string headTable = b->HostParam("M11_TABLE"), bodyTable = b->HostParam("D11_TABLE");
    std::string fieldList;
    std::vector<std::string> fieldNames;
    std::vector<Variant> names, values;
    const bool adding = dm->cdsMain->State() == plat::TDataSetState::dsInsert;
    for (int i = 0; i < record.ArrayCount(); ++i) {
        const Variant& row = ReplyAt(record, i);
        if (!row.IsArray() || row.ArrayCount() < 6) break;
        const std::string field = ItemText(row, 3), table = ItemText(row, 4);
        plat::TField* f = nullptr;
        if (plat::SameText(table, headTable)) {
            f = dm->cdsMain->FindField(field);
            fieldNames.push_back("M;" + field);
        } else if (plat::SameText(table, bodyTable)) {
            f = dm->cdsBody1->FindField(field);
            fieldNames.push_back("D;" + field);
        }
        if (!f) continue;
        const bool pending = adding && dm->AutoNumber && plat::SameText(field, dm->AutoNumberField);
        const std::string text = pending ? NumberBeforeSave : f->AsString();
        const auto t = f->DataType();
        const bool numeric = t == plat::TFieldType::ftInteger ||
                             t == plat::TFieldType::ftSmallint || t == plat::TFieldType::ftFloat;
        fieldList += ItemText(row, 5) + "," + (numeric ? "N" : "C") + "," + text + ";";
        names.push_back(field);
        values.push_back(pending ? Variant(NumberBeforeSave) : f->Value());
    }
    SignOffFields = Variant::ArrayOf({Variant::ArrayOf(names), Variant::ArrayOf(values)});
    std::string where;
    if (!dm->GetKeyWhereText(where)) return;

    Variant target, request;
    // The check asks for no confirm date: the outside system decides later.
    statusKind_ = static_cast<TStatusChange>(kind);
    if (!BuildConfirmRequest(kind, false, target, request)) return;
    Variant result = plat::VarArrayOf({Variant(), Variant(), Variant()});
    bool checked = false;
    {
        plat::DispatchPtr server = plat::CreateOleObject(kTxnServerProgID);
        {
            plat::TCursorGuard hourglass(plat::crHourGlass);
            checked = server
                          ->Call("DoCheck", request,
                                 plat::VarArrayOf({plat::VarToStr(target[target.LowBound()]),
                                                   plat::VarToStr(target[target.LowBound() + 1])}))
                          .AsBoolean();
        }
        result = ReadTxnResult(*server, checked);
        try {
            server->Call("CloseCOM");
        } catch (const std::exception&) {
        }
    }
    ShowTransactionResult(result, checked);
    if (!checked) return;

    Variant person;
    if (NotAutoConfirmingNew()) {
        if (!AskSignOffInfo(person)) return;
    } else {
        person = plat::VarArrayOf({1, b->UserID});
    }
    std::string formatKey, format;
    GetVoucherFormatKey(formatKey);
    GetDefaultFormat(formatKey, format);
    if (format.empty()) format = "<New>";
    const std::string tables = b->HostParam("M11_TABLE") + ";" + b->HostParam("M11_KEY") +
                               kKeySeparator + b->HostParam("D11_TABLE") + ";" +
                               b->HostParam("D11_KEY");
    const std::string keyText = RecordKeyText(false);
    const bool images = CreateGifBeforeSendSV != "N" && b->GetSysParam("SYS174") != "Y";
    Variant imageBytes;
    std::string imageSizes;
    if (images) {
        std::string failure;
        bool made = false;
        for (int attempt = 0; attempt < 2 && !made; ++attempt) {
            try {
                std::string names;
                TMemoryStream stream;
                CreateSignOffImages(b->UserID, b->CompanyID, names, format, keyText, ReportProgram);
                CollectSignOffImages(names, imageSizes, true, stream);
                imageBytes = StreamToByteArray(std::move(stream));
                made = true;
            } catch (const plat::EAbort&) {
                throw;
            } catch (const std::exception& e) {
                failure = e.what();
            }
        }
        if (!made) {
            WriteAlertLog(b->ProgramCode,
                          plat::FormatDateTime("YYYY-mm-DD HH:nn:ss", plat::Now()) + failure, "D");
            ShowMessageBox(
                plat::VarToStr(ConvertByDisplayMode(Variant(
                    "送签生成图片失败，请检查相关设置，\r并把log文件发给研发相关人员进行分析！"))),
                TMsgDlgType::mtError, {TMsgDlgBtn::mbOK});
            plat::Abort();
        }
    }
    std::vector<Variant> job = {
        ItemText(ReplyAt(record, 0), 1),
        where,
        fieldList,
        ActionCode(kind),
        ReportProgram,
        headField(signOffField_) ? headField(signOffField_)->AsString() : "",
        keyText,
        ReplyAt(target, 0),
        ReplyAt(target, 1),
        ReplyAt(person, 0),
        ReplyAt(person, 1),
        format};
    if (images) {
        job.push_back(imageBytes);
        job.push_back(imageSizes);
    }
    job.push_back(tables);
    job.push_back(JoinKeys(fieldNames));
    if (!b->SendDocument(1, Variant::ArrayOf(job))) return;

    const std::string sql =
        "select TOP 1 1 AS REC from SVJOBQUE(nolock) where SV001=" + plat::QuotedStr(b->CompanyID) +
        " and SV002=" + plat::QuotedStr(b->ProgramCode) + " and SV003=" + plat::QuotedStr(keyText) +
        " ";
    Variant found;
    try {
        found = b->CallServerMethod("SimpleSql", plat::VarArrayOf({sql, "REC"}));
    } catch (const std::exception&) {
        return;
    }
    if (found.IsArray() && found.ArrayCount() > 0) writeSignOffStatus("S");
}

void TfrmDouble::writeSignOffStatus(const std::string& status) {
    TdmDouble* dm = DoubleModule();
    plat::TField* field = headField(signOffField_);
    if (!dm || !field) return;
    dm->cdsMain->Edit();
    SetFieldText(field, status);
    dm->cdsMain->Post();
    UpdateButtons();
    dm->ApplyData(dm->cdsMain);
}

// ---- handlers ----

void TfrmDouble::btnSorvantaClick(plat::TObject* sender) {
    if (miGoConfirm->Enabled())
        miGoConfirmClick(sender);
    else if (btnSorvanta)
        btnSorvanta->DropDown();
}
void TfrmDouble::miGoConfirmClick(plat::TObject*) {
    SendForSignOff(3);
}
void TfrmDouble::miGoUnConfirmClick(plat::TObject*) {
    SendForSignOff(2);
}
void TfrmDouble::miGoInvalidClick(plat::TObject*) {
    SendForSignOff(1);
}

void TfrmDouble::mConfirmErpClick(plat::TObject*) {
    plat::TField* confirm = headField(ConfirmFieldName());
    if (!confirm) return;
    ChangeDocStatus(confirm->AsString() == "Y" ? 2 : 3, false);
}

void TfrmDouble::mUpdateConfirmClick(plat::TObject*) {
    if (!headField(signOffField_)) return;
    writeSignOffStatus("0");
}

void TfrmDouble::miViewSorvantaClick(plat::TObject*) {
    TBrokers* b = Brokers();
    TdmDouble* dm = DoubleModule();
    plat::TField* signOff = headField(signOffField_);
    if (!b || !dm) return;
    const std::string status = signOff ? signOff->AsString() : "";
    if (status == "0" || status == "S" || status == "N") {
        ShowMessageBox(
            GetLangMessage(kPackage, "sNoSorvantaInfo", "表单未送签或在传送中，无签核信息 !", true),
            TMsgDlgType::mtError, {TMsgDlgBtn::mbOK});
        return;
    }
    if (b->GetSysParam("SYS174") == "Y") {
        ShowApproveOpinion();
        return;
    }
    dm->StoreKeyValues();
    Variant record;
    std::string where;
    if (!b->CheckValue("ADMMQ", "02",
                       plat::VarArrayOf({b->ProgramCode, plat::VarToStr(dm->KeyValues[0])}),
                       record) ||
        !dm->GetKeyWhereText(where))
        return;
    const std::string reply = plat::VarToStr(b->CallServerMethod(
        "GetSVApprove", plat::VarArrayOf({b->UserID, ItemText(record, 1), where, "936"})));
    if (reply.empty()) return;
    Variant rows;
    std::string number, text;
    if (!ParseApproveInfo(reply, rows, number, text)) {
        ShowMessageBox(
            plat::Format(GetLangMessage(kPackage, "sSorvantaErrorInfo",
                                        "取签核信息失败 !\n\r错误代号: %s\n\r错误消息: %s", true),
                         {number, text}),
            TMsgDlgType::mtError, {TMsgDlgBtn::mbOK});
        return;
    }
    if (!rows.IsEmptyOrNull()) ShowSignOffStatus(rows);
}

void TfrmDouble::ShowSignOffStatus(const Variant& rows) {
    ShowSVInfo(this, rows);
}

void TfrmDouble::ShowApproveOpinion() {
    TBrokers* b = Brokers();
    TdmDouble* dm = DoubleModule();
    if (!b || !dm) return;
    std::vector<std::string> keyFields;
    for (size_t at = 0; at <= dm->KeyFields.size();) {
        size_t comma = dm->KeyFields.find(',', at);
        if (comma == std::string::npos) comma = dm->KeyFields.size();
        keyFields.push_back(plat::Trim(dm->KeyFields.substr(at, comma - at)));
        at = comma + 1;
    }
    std::vector<std::string> keys(5);
    for (size_t i = 0; i < keyFields.size(); ++i) {
        plat::TField* f = keyFields[i].empty() ? nullptr : dm->cdsMain->FindField(keyFields[i]);
        const std::string v = f ? f->AsString() : "";
        if (i < 5)
            keys[i] = v;
        else
            keys[4] += kKeySeparator + v;
    }
    std::string sql = " SELECT ME007 FROM $$SVSME WHERE ME001 = " + plat::QuotedStr(b->ProgramCode);
    for (int i = 0; i < 5; ++i)
        sql += " AND ME00" + std::to_string(i + 2) + " = " + plat::QuotedStr(keys[i]);
    Variant sheet = b->CallServerMethod("SimpleSql", plat::VarArrayOf({sql, "ME007"}));
    const std::string me007 =
        sheet.IsArray() && sheet.ArrayCount() > 0 ? ItemText(ReplyAt(sheet, 0), 0) : std::string();
    const std::string formId =
        ReadXmlValue(me007, "//Response/ResponseContent/ContentText/Form/TargetFormID", "", "");
    const std::string sheetNo =
        ReadXmlValue(me007, "//Response/ResponseContent/ContentText/Form/TargetSheetNo", "", "");
    Variant conn = b->CallServerMethod(
        "SimpleSql",
        plat::VarArrayOf({" SELECT MB008, MB009, MB010, MB011 FROM QRVMB WHERE MB001 = " +
                              plat::QuotedStr(b->CompanyID),
                          "MB008,MB009,MB010,MB011"}));
    const Variant first = conn.IsArray() && conn.ArrayCount() > 0 ? ReplyAt(conn, 0) : Variant();
    const std::string request =
        "<Request><RequestMethod>GetApproveOpinion</RequestMethod><LogOnInfo><SenderIP>"
        "192.168.0.10</SenderIP><ReceiverIP>" +
        ItemText(first, 3) + "</ReceiverIP><SVSiteName>" + ItemText(first, 2) +
        "</SVSiteName><SVLogonID>" + b->UserID +
        "</SVLogonID><SystemID>Palora</SystemID ></LogOnInfo><RequestContent><ContentText><Form>"
        "<TargetFormID>" +
        formId + "</TargetFormID><TargetSheetNo>" + sheetNo +
        "</TargetSheetNo></Form></ContentText></RequestContent></Request>";
    LastOpinionRequest = request;
    const std::string reply = plat::VarToStr(b->CallServerMethod(
        "CallWebService",
        plat::VarArrayOf({ItemText(first, 0), ItemText(first, 1), request, "N"})));
    const std::string url = ReadXmlValue("<?xml version=\"1.0\" encoding=\"GB2312\"?>" + reply,
                                         "//Response/ResponseContent/ContentText/URL", "", "");
    if (!plat::DesktopLauncher().Open(url))
        throw plat::Exception("The browser cannot be started for " + url);
}

}  // namespace ktrb
