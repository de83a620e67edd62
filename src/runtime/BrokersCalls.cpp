// The broker's server calls by name, validator look-ups, lookup-window
// services, program starts, document sending and the search window.
#include <array>
#include <mutex>

#include "platform/automation/dispatch.h"
#include "platform/automation/oleobject.h"
#include "platform/core/exceptions.h"
#include "platform/core/format.h"
#include "platform/core/text.h"
#include "platform/data/dataset.h"
#include "runtime/Brokers.h"
#include "runtime/Reply.h"
#include "runtime/Rights.h"

namespace ktrb {

using plat::VarArrayOf;
using plat::Variant;

namespace {

bool isDispatch(const Variant& v) {
    return v.IsDispatch() && v.AsDispatch() != nullptr;
}

plat::DispatchPtr dispatchOf(const Variant& v) {
    return isDispatch(v) ? v.AsDispatch() : nullptr;
}

// Texts of the host's negative job-program results; "[%s]" takes the name.
const char* jobProgramText(int result) {
    static const std::array<const char*, 7> texts = {"[%s]作业程序文档不存在!",
                                                     "[%s]作业程序文档装入失败!",
                                                     "[%s]作业程序启动时无法录入公用元件!",
                                                     "[%s]作业程序启动时取作业权限错误!",
                                                     "[%s]作业程序无运行作业权限!",
                                                     "[%s]作业程序起始化错误!",
                                                     "[%s]作业程序发生不可预知的错误!"};
    return result <= -1 && result >= -7 ? texts[(size_t)(-result - 1)] : "";
}

std::mutex& factoryMutex() {
    static std::mutex m;
    return m;
}

TSearchWindowFactory& searchWindowFactory() {
    static TSearchWindowFactory factory;
    return factory;
}

}  // namespace

TSearchWindowFactory SetSearchWindowFactory(TSearchWindowFactory factory) {
    std::lock_guard lock(factoryMutex());
    std::swap(searchWindowFactory(), factory);
    return factory;
}

// ---- server calls by name ---------------------------------------------------

Variant TBrokers::SignOnPair() const {
    return VarArrayOf({CompanyID, SignOnKey});
}

void TBrokers::CallServerMethod(const std::string& name, const Variant& args, Variant& result) {
    auto counter = dispatchOf(comCounter_);
    if (!counter) {
        result = Variant();
        return;
    }
    Variant nameArg(name);
    Variant argsArg = args;
    result = counter->Call("GETCOUNTER", nameArg, argsArg, SignOnPair());
}

Variant TBrokers::SignOnParams(bool connectFlag) const {
    Variant params = Variant::CreateArray({0, 5}, plat::VarType::OleStr);
    params[0] = Variant::Wide(plat::UpperCase(ProgramCode));
    params[1] = Variant::Wide(UserID);
    params[2] = Variant::Wide(CompanyID);
    params[3] = Variant::Wide(SignOnKey);
    params[4] = Variant::Wide(plat::VarToStr(Variant(connectFlag)));
    params[5] = Variant::Wide(plat::VarToStr(Variant(ProgramFlag())));
    return params;
}

Variant TBrokers::CallServerMethod(const std::string& name, const Variant& args) {
    Variant result;
    CallServerMethod(name, args, result);
    return result;
}

// ---- validator --------------------------------------------------------------

int TBrokers::productIdOrDefault() {
    try {
        return GetProductID();
    } catch (...) {
        return 3;
    }
}

void TBrokers::prepareValidator(plat::Dispatch& validator) {
    IRadicalForm* form = OwnerForm();
    try {
        validator.Put("ProductID", form ? form->ProductID() : 3);
        validator.Put("BaseLimited", HostParam("BaseLimited"));
    } catch (...) {
    }
}

bool TBrokers::callValidator(const char* method, const std::string& table, const std::string& kind,
                             const Variant& keys, Variant& result) {
    validatorError_.clear();
    auto validator = dispatchOf(comValidator_);
    if (!validator) return false;
    try {
        prepareValidator(*validator);
        Variant signOn(SignOnKey);
        Variant keysCopy = keys;
        return validator->Call(method, table, kind, signOn, keysCopy, result).AsBoolean();
    } catch (const plat::EOleException& e) {
        validatorError_ = e.Description().empty() ? "?" : e.Description();
        return false;
    } catch (const std::exception& e) {
        validatorError_ = *e.what() ? e.what() : "?";
        return false;
    } catch (...) {
        validatorError_ = "?";
        return false;
    }
}

bool TBrokers::CheckValue(const std::string& table, const std::string& kind, const Variant& keys,
                          Variant& result) {
    return callValidator("CheckValue", table, kind, keys, result);
}

bool TBrokers::QueryData(const std::string& table, const std::string& kind, const Variant& keys,
                         Variant& result) {
    return callValidator("QueryData", table, kind, keys, result);
}

void TBrokers::QueryMaxSeq(plat::TDataSet* dataSet, const std::string& table,
                           const std::string& keyFields, const std::string& dateText,
                           std::string& number) {
    number = "unKnow";
    auto validator = dispatchOf(comValidator_);
    if (!validator) return;
    try {
        // The values of every key field but the last; the last stays Empty.
        int count = CountParts(keyFields, ",");
        Variant values = Variant::CreateArray({0, count - 1});
        std::string rest = keyFields, field;
        for (int i = 0; i + 1 < count; ++i) {
            SplitFirst(rest, ",", field);
            values[i] = dataSet->FieldByName(field)->AsString();
        }
        prepareValidator(*validator);
        Variant tableArg(table), keysArg(keyFields), dateArg(dateText), programArg(ProgramCode),
            signOnArg(SignOnKey), out("");
        if (validator
                ->Call("QueryMaxSeq", tableArg, keysArg, values, dateArg, programArg, signOnArg,
                       out)
                .AsBoolean())
            number = plat::VarToStr(out);
    } catch (...) {
        number = "unKnow";
    }
}

// ---- lookup-window services -------------------------------------------------

Variant TBrokers::requestForCombo(const TLookupRequest& r) {
    const bool withTexts = !r.Text2.empty();
    return VarArrayOf({r.A, r.B, r.Value, 1, r.Text1, SignOnKey, productIdOrDefault(),
                       withTexts ? r.Text2 : "", withTexts ? r.Text3 : "", withTexts ? r.Text4 : "",
                       HostParam("BaseLimited"), "", "", "9"});
}

Variant TBrokers::F2GetDataForCombo(const TLookupRequest& request) {
    IRadicalForm* form = OwnerForm();
    if (!form) return Variant();
    switch (form->LookupStage()) {
        case 1:
            form->SetLookupParams(requestForCombo(request));
            return Variant();
        case 2:
            return form->LookupResult();
        default:
            return Variant();
    }
}

Variant TBrokers::F2GetData(const TLookupRequest& r) {
    IRadicalForm* form = OwnerForm();
    if (form && form->LookupStage() != 0) return F2GetDataForCombo(r);
    auto dravoc = dispatchOf(comDravoc_);
    if (!dravoc) return Variant();
    const uint64_t rights = form ? form->RightsSet() : 0;
    Variant request =
        VarArrayOf({r.A, r.B, r.Value, r.Bool1, r.Text1, CompanyID, SignOnKey,
                    (long long)(r.Handle ? r.Handle : ownerHandle()), 1, r.Bool2,
                    productIdOrDefault(), r.Text2, r.Text3, r.Text4, HostParam("BaseLimited"),
                    HasRightIn(rights, TRight::LookupC) || HasRightIn(rights, TRight::LookupD),
                    HasRightIn(rights, TRight::LookupA) || HasRightIn(rights, TRight::LookupB),
                    mainObject_, UserID});
    return dravoc->Call("F2GetData", request);
}

std::string TBrokers::ShowInputDay(bool flag, const std::string& text) {
    auto dravoc = dispatchOf(comDravoc_);
    if (!dravoc) return {};
    return plat::VarToStr(dravoc->Call("ShowInputDay", VarArrayOf({flag, text, SignOnKey})));
}

std::string TBrokers::GetPhrase2(const std::string& text) {
    auto dravoc = dispatchOf(comDravoc_);
    if (!dravoc) return {};
    Variant phrase(text);
    int answer = (int)plat::VarToIntDef(
        dravoc->Call("GetPhrase2", UserID, CompanyID, (long long)ownerHandle(), phrase), -1);
    return answer < 0 ? std::string() : plat::VarToStr(phrase);
}

Variant TBrokers::ShowCharaters(int kind, bool flag, const std::string& user,
                                const std::string& company, THandle handle) {
    auto dravoc = dispatchOf(comDravoc_);
    if (!dravoc) return Variant();
    Variant kindArg(kind);
    return dravoc->Call("ShowCharaters", user.empty() ? UserID : user,
                        company.empty() ? CompanyID : company, kindArg, flag,
                        std::to_string(handle ? handle : ownerHandle()));
}

std::string TBrokers::GetCalcValue(const std::string& text) {
    auto dravoc = dispatchOf(comDravoc_);
    if (!dravoc) return {};
    try {
        Variant expression(text);
        return plat::VarToStr(dravoc->Call("GetCalcValue", expression, (long long)ownerHandle()));
    } catch (const plat::EAbort&) {
        throw;
    } catch (...) {
        Variant hint("请更新DravocC.dll");
        if (IRadicalForm* form = OwnerForm()) hint = form->ConvertByDisplayMode(hint);
        ShowMessageCode("E", "000032", {hint});
        return {};
    }
}

// ---- programs and documents -------------------------------------------------

Variant TBrokers::ExecWork(const Variant& job, const Variant& run, Variant& output) {
    auto main = dispatchOf(mainObject_);
    if (!main) return Variant();
    Variant jobArg = job, runArg = run;
    return main->Call("ExecWork", jobArg, Variant(), runArg, 0, output);
}

void TBrokers::ExecWork(const Variant& program, const Variant& param) {
    Variant output;
    ExecWork(program, VarArrayOf({6, 0, param}), output);
}

int TBrokers::RunJobProgram(const std::string& programCode, const Variant& params,
                            const Variant& options, Variant& output, bool showErrors) {
    auto main = dispatchOf(mainObject_);
    if (!main) return -1;
    Variant target = VarArrayOf({UserID, CompanyID, programCode, (long long)ownerHandle()});
    Variant opts = options.IsEmptyOrNull() ? VarArrayOf({0, 4, Variant()}) : options;
    Variant paramsArg = params, kind(2);
    output = Variant();
    int result = main->Call("ExecWork", target, paramsArg, opts, kind, output).AsInteger();
    if (showErrors && result < 0) {
        std::string name;
        QueryProgramMaster(programCode, name);
        std::string text = toDisplay(jobProgramText(result));
        try {
            text = plat::Format(text, {toDisplay(name)});
        } catch (const plat::EConvertError&) {
        }
        ShowMessageCode("E", "000032", {text}, 936, true);
    }
    return result;
}

bool TBrokers::sendForSignOff(const Variant& p) {
    const std::string prefix = masterElement5_.find("§") != std::string::npos ? "SP8" : "SP7";
    try {
        if (!p.IsArray()) return false;
        const int high = p.HighBound() - p.LowBound();
        if (high != 13 && high != 15) return false;
        auto P = [&](int n) { return p[p.LowBound() + n]; };
        std::vector<Variant> job = {
            UserID, CompanyID, ProgramCode, plat::VarToStr(P(1)), plat::VarToStr(P(2)), P(0)};
        for (int n = 3; n <= (high == 13 ? 13 : 11); ++n) job.push_back(P(n));
        if (high == 15) {
            job.push_back(P(14));
            job.push_back(P(15));
        }
        std::vector<Variant> item = {
            CompanyID,       ProgramCode,     P(6), UserID, Variant::ArrayOf(job), "N", "",
            Variant::Null(), Variant::Null(), "",   "936"};
        if (high == 15) {
            item.push_back(P(12));
            item.push_back(P(13));
        }
        item.push_back(prefix);
        Variant reply = CallServerMethod("INSERTSVJOB", VarArrayOf({Variant::ArrayOf(item)}));
        // Only a numeric answer counts: no answer at all is no success.
        if (!reply.IsNumeric()) throw plat::Exception("UnDefined Error from Counter");
        switch (reply.AsInteger()) {
            case 0:
                ShowMessageCode("I", "200007");
                return true;
            case 1:
                ShowMessageCode("E", "200128");
                return false;
            case 2:
                ShowMessageCode("E", "200129");
                return false;
            default:
                throw plat::Exception("UnDefined Error from Counter");
        }
    } catch (...) {
        return false;
    }
}

bool TBrokers::SendDocument(int kind, const Variant& params) {
    switch (kind) {
        case 1:
            return sendForSignOff(params);
        case 2: {
            auto pager = plat::CreateOleObject("QRVPagerC.Class1");
            if (pager) {
                Variant user(UserID);
                pager->Call("ShowSendSelmor", user, VarArrayOf({CompanyID, ProgramCode}),
                            params.IsArray() ? ReplyAt(params, 0) : params, Variant());
            }
            return true;
        }
        case 3: {
            auto main = dispatchOf(mainObject_);
            if (!main) return false;
            std::string name;
            QueryProgramMaster(ProgramCode, name);
            const std::string link = "<A href=\"rklt://Palora/" + CompanyID + "/" + ProgramCode +
                                     "/query/" + plat::VarToStr(params) + "\">" + name + "</A>";
            Variant target = VarArrayOf({UserID, CompanyID, "MSGB25", Variant()});
            Variant run = VarArrayOf({"0", VarArrayOf({"", "", link})});
            Variant opts = VarArrayOf({0, 4, Variant()}), mode(2), output;
            main->Call("ExecWork", target, run, opts, mode, output);
            return false;
        }
        default:
            return false;
    }
}

void TBrokers::CallHelp(const Variant& topic) {
    if (auto main = dispatchOf(mainObject_)) main->Call("CallHelp", topic);
}

void TBrokers::OpenSearchWindow(const Variant& mainTable, const Variant& mainKind,
                                const Variant& mainParams, const Variant& bodyTable,
                                const Variant& bodyKind, const Variant& bodyParams,
                                const std::string& linkField, const std::string& computeKinds) {
    TSearchWindowFactory factory;
    {
        std::lock_guard lock(factoryMutex());
        factory = searchWindowFactory();
    }
    if (!factory) throw plat::Exception("Brokers: the search window is not available");
    IRadicalForm* form = OwnerForm();
    std::unique_ptr<ISearchWindow> window = factory();
    window->Execute(this, mainTable, mainKind, mainParams, bodyTable, bodyKind, bodyParams,
                    linkField, computeKinds, form ? form->ProductID() : 3,
                    HostParam("BaseLimited"));
}

TProgramMasterRow TBrokers::QueryProgramMaster(const std::string& programCode) {
    TProgramMasterRow row;
    row.Name = programCode;
    Variant reply = CallServerMethod(
        "SimpleSQL", VarArrayOf({"SELECT MB002,MB011,MB012,MB013 FROM ADMMB WHERE MB001=" +
                                     plat::QuotedStr(programCode),
                                 "MB002,MB011,MB012,MB013", SignOnKey, "N"}));
    // The columns the statement names, in its order.
    enum TProgramMasterColumn { pmChineseName, pmEnglishName, pmFlag12, pmFlag13 };
    const Variant first = ReplyAt(reply, 0);
    // A row that cannot be read, or lacks the name's column, leaves the code
    // as the name.
    const int columns = first.IsArray() && first.DimCount() == 1 ? first.ArrayCount() : 0;
    auto column = [&](TProgramMasterColumn i) { return ReplyText(first, i); };
    const TProgramMasterColumn nameColumn = uiCodePage() == "437" ? pmEnglishName : pmChineseName;
    if (nameColumn >= columns) return row;
    row.Found = true;
    row.ChineseName = column(pmChineseName);
    row.EnglishName = column(pmEnglishName);
    row.Flag12 = column(pmFlag12);
    row.Flag13 = column(pmFlag13);
    row.Name = column(nameColumn);
    return row;
}

void TBrokers::QueryProgramMaster(const std::string& programCode, std::string& name) {
    name = QueryProgramMaster(programCode).Name;
}

}  // namespace ktrb
