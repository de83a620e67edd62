// The broker's record, its parameter lists, its attachment to the host's
// objects, the program-master record and the message function.
#include "runtime/Brokers.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/automation/dispatch.h"
#include "platform/core/exceptions.h"
#include "platform/core/format.h"
#include "platform/core/text.h"
#include "platform/system/system.h"
#include "runtime/LibStrs.h"
#include "runtime/Reply.h"
#include "runtime/Translator.h"

namespace ktrb {

using plat::Variant;

namespace {

constexpr std::array<const char*, 11> kButtonNames = {
    "Yes", "No", "OK", "Cancel", "Abort", "Retry", "Ignore", "All", "NoToAll", "YesToAll", "Help"};

// Message kinds: the kind whose text is fetched, the dialog and its buttons.
struct MessageKind {
    const char* letter;
    const char* textKind;
    TMsgDlgType type;
    TMsgDlgButtons buttons;
};

const std::array<MessageKind, 7>& messageKinds() {
    using B = TMsgDlgBtn;
    static const std::array<MessageKind, 7> kinds = {{
        {"T", "E", TMsgDlgType::mtError, {B::mbYes, B::mbNo, B::mbCancel, B::mbYesToAll}},
        {"C", "C", TMsgDlgType::mtWarning, {B::mbOK, B::mbCancel}},
        {"D", "D", TMsgDlgType::mtWarning, {B::mbYes, B::mbNo, B::mbCancel}},
        {"E", "E", TMsgDlgType::mtError, {B::mbOK}},
        {"I", "I", TMsgDlgType::mtInformation, {B::mbOK}},
        {"Q", "Q", TMsgDlgType::mtConfirmation, {B::mbOK, B::mbCancel}},
        {"W", "W", TMsgDlgType::mtWarning, {B::mbOK, B::mbCancel}},
    }};
    return kinds;
}

bool isDispatch(const Variant& v) {
    return v.IsDispatch() && v.AsDispatch() != nullptr;
}

// GB and Big5 conversions of UTF-8 text, on its bytes in the source code page.
std::string convertText(const std::string& text, plat::CodePage from, plat::CodePage to,
                        std::string (*convert)(const std::string&)) {
    std::string bytes = plat::ToCodePageReplacing(text, from).text;
    return plat::FromCodePageReplacing(convert(bytes), to).text;
}

// Display mode 1 shows Big5 texts in GB, mode 2 GB texts in Big5.
std::string displayConvert(const std::string& text, int mode) {
    if (mode == 1)
        return convertText(text, plat::CodePage::Big5, plat::CodePage::Gbk, Big5ToGbText);
    if (mode == 2)
        return convertText(text, plat::CodePage::Gbk, plat::CodePage::Big5, GbToBig5Text);
    return text;
}

}  // namespace

const char* MsgDlgButtonName(TMsgDlgBtn button) {
    return kButtonNames.at((size_t)button);
}

// ---- string routines --------------------------------------------------------

void SplitFirst(std::string& source, const std::string& delimiter, std::string& part) {
    size_t at = delimiter.empty() ? std::string::npos : source.find(delimiter);
    if (at == std::string::npos) {
        part = source;
        source.clear();
        return;
    }
    part = source.substr(0, at);
    source.erase(0, at + delimiter.size());
}

int CountParts(const std::string& source, const std::string& delimiter) {
    if (source.empty()) return 0;
    if (delimiter.empty()) return 1;
    // Each found delimiter is overwritten in a copy so the search moves on.
    std::string copy = source;
    const char mark = delimiter == "#" ? '*' : '#';
    int parts = 1;
    for (size_t at = copy.find(delimiter); at != std::string::npos; at = copy.find(delimiter, at)) {
        copy.replace(at, delimiter.size(), 1, mark);
        ++parts;
    }
    return parts;
}

// ---- record and lists -------------------------------------------------------

TBrokers::TBrokers(plat::TComponent* owner) : TComponent(owner) {}

TBrokers::~TBrokers() {
    mainObject_ = Variant();
    comValidator_ = Variant();
    comDravoc_ = Variant();
    comCounter_ = Variant();
}

IRadicalForm* TBrokers::OwnerForm() const {
    return AsRadicalForm(Owner());
}

void TBrokers::SetSysParam(const std::string& name, const std::string& value) {
    if (!name.empty()) sysParams_.SetValues(name, value);
}

std::string TBrokers::GetSysParam(const std::string& name) const {
    return name.empty() ? std::string() : sysParams_.Values(name);
}

std::string TBrokers::MasterElement(int index) const {
    switch (index) {
        case 4:
            return masterElement4_;
        case 5:
            return masterElement5_;
        case 6:
            return masterElement6_;
        default:
            return {};
    }
}

// ---- host objects -----------------------------------------------------------

bool TBrokers::AttachSubObjects() {
    if (!isDispatch(mainObject_)) return false;
    struct Sub {
        THostSubObject element;
        const char* property;
        Variant TBrokers::*slot;
    };
    static const std::array<Sub, 3> subs = {{
        {THostSubObject::Validator, "Com_Validator", &TBrokers::comValidator_},
        {THostSubObject::Dravoc, "Com_Dravoc", &TBrokers::comDravoc_},
        {THostSubObject::Counter, "Com_Counter", &TBrokers::comCounter_},
    }};
    try {
        auto main = mainObject_.AsDispatch();
        for (const Sub& s : subs) {
            if (!(fetchSet_ & (1u << (unsigned)s.element)) || isDispatch(this->*s.slot)) continue;
            this->*s.slot = main->Get(s.property);
        }
        LoadProgramInfo();
        return true;
    } catch (...) {
        if (IRadicalForm* form = OwnerForm())
            for (int i = 0; i < 3; ++i) form->Beep();
        return false;
    }
}

bool TBrokers::GetSysInfo() {
    if (!isDispatch(comCounter_)) return false;
    Variant company(CompanyID);
    // Read only: the reply may share its array with the server's.
    const Variant reply = comCounter_.AsDispatch()->Call("GetSysInfo", company);
    if (!reply.IsArray() || reply.DimCount() != 2) return false;
    int row0 = reply.LowBound(1);
    std::vector<std::pair<std::string, std::string>> entries;
    entries.reserve(size_t(std::max(0, reply.HighBound(2) - reply.LowBound(2) + 1)));
    for (int c = reply.LowBound(2); c <= reply.HighBound(2); ++c)
        entries.emplace_back(plat::VarToStr(reply.At(row0, c)),
                             plat::VarToStr(reply.At(row0 + 1, c)));
    mergeSysParams(entries);
    return true;
}

// As SetSysParam for each entry in turn, with the names found through a map:
// the server's list may be long, and a scan per entry would square it.
void TBrokers::mergeSysParams(const std::vector<std::pair<std::string, std::string>>& entries) {
    if (sysParams_.Sorted() || sysParams_.CaseSensitive()) {
        for (const auto& [name, value] : entries) SetSysParam(name, value);
        return;
    }
    // Keyed by the upper-case name: equal exactly when the list's own
    // comparison (case ignored) finds them equal.
    std::vector<std::optional<std::string>> lines;
    std::unordered_map<std::string, size_t> at;
    at.reserve(size_t(sysParams_.Count()) + entries.size());
    auto keep = [&](std::string line) {
        size_t eq = line.find('=');
        if (eq != std::string::npos)
            at.emplace(plat::AnsiUpperCase(std::string_view(line).substr(0, eq)), lines.size());
        lines.emplace_back(std::move(line));
    };
    for (int i = 0; i < sysParams_.Count(); ++i) keep(sysParams_[i]);
    for (const auto& [name, value] : entries) {
        if (name.empty()) continue;
        // A name holding "=" names no line (as in the list's own lookup).
        auto it =
            name.find('=') == std::string::npos ? at.find(plat::AnsiUpperCase(name)) : at.end();
        if (value.empty()) {
            if (it == at.end()) continue;
            lines[it->second].reset();
            at.erase(it);
        } else if (it != at.end()) {
            lines[it->second] = name + "=" + value;
        } else {
            keep(name + "=" + value);
        }
    }
    sysParams_.Clear();
    for (auto& line : lines)
        if (line) sysParams_.Add(std::move(*line));
}

std::string TBrokers::GetMessage(const std::string& kind, const std::string& code) {
    if (!isDispatch(mainObject_)) return {};
    return plat::VarToStr(mainObject_.AsDispatch()->Call("GetMessage", kind, code));
}

int TBrokers::GetProductID() {
    return plat::VarToDispatch(mainObject_)->Get("ProductID").AsInteger();
}

void TBrokers::LoadProgramInfo() {
    programName_.clear();
    Variant reply;
    if (!CheckValue("ADMMB", "06", plat::VarArrayOf({ProgramCode, SignOnKey}), reply)) return;
    if (!reply.IsArray() || reply.ArrayCount() == 0) return;
    // The program master's row (ADMMB "06").
    enum TProgramRow {
        prName,
        prReportProgram,
        prTxnValue2,
        prTxnValue3,
        prMaster4,
        prMaster5,
        prMaster6,
        prFlag,
        prKind,
        prEnglishName
    };
    auto at = [&](TProgramRow i) { return ReplyText(reply, i); };
    programName_ = at(prName);
    reportProgram_ = at(prReportProgram);
    txnValue2_ = at(prTxnValue2);
    txnValue3_ = at(prTxnValue3);
    masterElement4_ = at(prMaster4);
    masterElement5_ = at(prMaster5);
    masterElement6_ = at(prMaster6);
    programFlag_ = at(prFlag) == "Y";
    const std::string kind = at(prKind);
    programKind_ = kind == "W"   ? TProgramKind::W
                   : kind == "E" ? TProgramKind::E
                   : kind == "Z" ? TProgramKind::Z
                                 : TProgramKind::Other;
    if (reply.ArrayCount() > prEnglishName && uiCodePage() == "437")
        programName_ = at(prEnglishName);
}

// ---- owner form -------------------------------------------------------------

THandle TBrokers::ownerHandle() const {
    IRadicalForm* form = OwnerForm();
    return form ? form->FormHandle() : 0;
}

std::string TBrokers::uiCodePage() const {
    IRadicalForm* form = OwnerForm();
    return form ? form->GetUICodePage() : std::string("936");
}

int TBrokers::displayMode() const {
    IRadicalForm* form = OwnerForm();
    return form ? form->GetDisplayMode() : 0;
}

std::string TBrokers::toDisplay(const std::string& text) const {
    return displayConvert(text, displayMode());
}

// ---- messages ---------------------------------------------------------------

int TBrokers::ShowMessageCode(const std::string& kind, const std::string& code,
                              const std::vector<Variant>& args, int /*codePage*/,
                              bool abortOnCancel, TMsgDlgBtn defaultButton) {
    const MessageKind* found = nullptr;
    for (const MessageKind& k : messageKinds())
        if (kind == k.letter) found = &k;
    IRadicalForm* form = OwnerForm();

    std::string text = GetMessage(found ? found->textKind : kind, code);
    text = toDisplay(text);
    if (form && (form->GetUICodePage() == "950" || form->GetSystemCodePage() == "950"))
        text += "    ";
    text += " ";
    // The text comes from the host: a stray "%" or a missing argument must
    // not cost the user the message, so it is then shown unformatted.
    try {
        text = plat::Format(text, args);
    } catch (const plat::EConvertError&) {
    }
    if (kind == "T") text += "\r\n" + toDisplay("是否继续?");

    TMsgDlgType type = found ? found->type : TMsgDlgType::mtCustom;
    TMsgDlgButtons buttons = found ? found->buttons : TMsgDlgButtons{TMsgDlgBtn::mbOK};
    int result = BuildMessageDialog(text, type, buttons, displayMode(), defaultButton);
    if (kind == "W" && result != modal::Ok && abortOnCancel) plat::Abort();
    if (form) form->AfterMessage();
    return result;
}

int TBrokers::BuildMessageDialog(const std::string& text, TMsgDlgType type,
                                 const TMsgDlgButtons& buttons, int mode,
                                 TMsgDlgBtn defaultButton) {
    IRadicalForm* form = OwnerForm();
    TMessageDialogSpec dialog;
    dialog.Text = text;
    if (mode != 0 || plat::GetACP() != 936) dialog.Text += "      ";
    dialog.Type = type;
    dialog.Caption = form ? form->FormCaption() : std::string();
    const bool localize = uiCodePage() != "437";
    const std::string defaultName = MsgDlgButtonName(defaultButton);
    // Buttons come in the platform's order, whatever order the kind lists them.
    for (size_t i = 0; i < kButtonNames.size(); ++i) {
        auto kind = (TMsgDlgBtn)i;
        bool wanted = false;
        for (TMsgDlgBtn b : buttons) wanted = wanted || b == kind;
        if (!wanted) continue;
        TMessageDialogButton button{kind, kButtonNames[i], {}, kButtonNames[i] == defaultName};
        if (localize) {
            button.Caption = LocalizeDialogButtons(button.Name);
            if (mode == 2) button.Caption = displayConvert(button.Caption, 2);
        }
        dialog.Buttons.push_back(std::move(button));
    }
    if (mode == 0 || mode == 1 || mode == 4) {
        dialog.FontName = "SimSun";
        dialog.FontCharset = 134;
    } else if (mode == 2 || mode == 3) {
        dialog.FontName = "SimSun";
        dialog.FontCharset = 136;
    }
    if (!form) {
        // Nobody to show it: keep the text where someone can find it.
        WriteAlertLog("Brokers", dialog.Text, "D");
        return modal::None;
    }
    return form->RunMessageDialog(dialog);
}

}  // namespace ktrb
