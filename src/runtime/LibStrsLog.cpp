// The alert log, the variant helpers and the code-page conversions of LibStrs.
#include <string_view>
#include <utility>

#include "platform/core/text.h"
#include "platform/system/files.h"
#include "platform/system/paths.h"
#include "platform/system/registry.h"
#include "platform/system/system.h"
#include "runtime/LibStrs.h"
#include "runtime/MireltaINI.h"

namespace ktrb {

using plat::Variant;

namespace {

constexpr const char* kLibStrsLog = "libstrs";

std::string periodStamp(const std::string& period, plat::TDateTime today) {
    if (period == "M") return plat::FormatDateTime("yyyymm", today);
    if (period == "Y") return plat::FormatDateTime("yyyy", today);
    return plat::FormatDateTime("yyyymmdd", today);
}

plat::CodePage resolveCodePage(int codePage) {
    plat::CodePage cp;
    return plat::TryCodePageFromNumber(codePage, cp) ? cp : plat::AnsiCodePage();
}

// The text as far as the code page can write it: what survives a trip to
// single-byte text of that code page and back.
std::string withinCodePage(const std::string& text, int codePage) {
    return AnsiStrToWideCP(WideStrToAnsiCP(text, codePage), codePage);
}

enum class TextKind { Single, Wide };

Variant convertedText(const std::string& text, int codePage, TextKind to) {
    std::string s = withinCodePage(text, codePage);
    return to == TextKind::Wide ? Variant::Wide(std::move(s)) : Variant(std::move(s));
}

// Array walk: in one dimension nested arrays are walked and wide texts
// converted; in two dimensions only the wide texts; other elements, single-
// byte texts included, stay as they are.
Variant walkArray(const Variant& value, int codePage, TextKind to) {
    if (!value.IsArray()) {
        return value.Type() == plat::VarType::OleStr ? convertedText(value.RawText(), codePage, to)
                                                     : value;
    }
    Variant copy = value;
    if (copy.DimCount() == 1) {
        for (int i = copy.LowBound(1); i <= copy.HighBound(1); ++i) {
            const Variant& e = std::as_const(copy)[i];
            if (e.IsArray())
                copy[i] = walkArray(e, codePage, to);
            else if (e.Type() == plat::VarType::OleStr)
                copy[i] = convertedText(e.RawText(), codePage, to);
        }
    } else if (copy.DimCount() == 2) {
        for (int i = copy.LowBound(1); i <= copy.HighBound(1); ++i)
            for (int j = copy.LowBound(2); j <= copy.HighBound(2); ++j) {
                const Variant& e = std::as_const(copy).At(i, j);
                if (!e.IsArray() && e.Type() == plat::VarType::OleStr)
                    copy.At(i, j) = convertedText(e.RawText(), codePage, to);
            }
    }
    return copy;
}

Variant convertVariant(const Variant& value, int codePage, TextKind to, const char* logTag) {
    Variant result = value;
    if (value.IsEmptyOrNull()) return result;
    try {
        if (value.IsArray())
            result = walkArray(value, codePage, to);
        else if (value.IsText())
            result = convertedText(value.RawText(), codePage, to);
    } catch (const std::exception& e) {
        WriteAlertLog(kLibStrsLog, std::string(logTag) + e.what(), "D");
    }
    return result;
}

struct ButtonCaption {
    const char* name;
    const char* caption;
};

const ButtonCaption kButtonCaptions[] = {
    {"Yes", "是(&Y)"},       {"No", "否(&N)"},         {"OK", "确定"},         {"Cancel", "取消"},
    {"Abort", "中断(&A)"},   {"Retry", "重试(&R)"},    {"Ignore", "忽略(&I)"}, {"All", "全部(&A)"},
    {"NoToAll", "全否(&o)"}, {"YesToAll", "全是(&A)"}, {"Help", "帮助(&H)"},
};

}  // namespace

// ---- Alert log --------------------------------------------------------------

std::string HostLogFolder() {
    try {
        plat::TRegistry registry;
        registry.SetRootKey(plat::RegistryRoot::LocalMachine);
        if (!registry.OpenKeyReadOnly(kMireltaRegistryKey)) return {};
        std::string folder = registry.ReadString("ClientPath");
        return folder.empty() ? registry.ReadString("ServerPath") : folder;
    } catch (const std::exception&) {
        return {};
    }
}

bool WriteAlertLog(const std::string& name, const std::string& text, const std::string& period) {
    try {
        std::string folder = HostLogFolder();
        if (folder.empty()) folder = plat::ExtractFilePath(plat::HostProgramFileName());
        folder = plat::IncludeTrailingPathDelimiter(folder) + "Log";
        if (!plat::ForceDirectories(folder)) return false;
        plat::TDateTime now = plat::Now();
        std::string file = folder + "/Alert_" + name + "_" + periodStamp(period, now);
        if (name.find('.') == std::string::npos) file += ".log";
        std::string line = "[" + plat::FormatDateTime("yyyy/mm/dd hh:nn:ss:zzz", now) + "] " + text;
        return plat::AppendTextLine(file, withinCodePage(line, 0), 0);
    } catch (...) {
        // A log that cannot be written must not fail its caller.
        return false;
    }
}

// ---- Variants ---------------------------------------------------------------

Variant VarIIf(bool condition, const Variant& whenTrue, const Variant& whenFalse) {
    return condition ? whenTrue : whenFalse;
}

bool VarIsBlank(const Variant& value) {
    return value.IsEmptyOrNull();
}

bool LookupVarFlag(const Variant& flags, const std::string& name) {
    try {
        if (!flags.IsArray() || flags.DimCount() != 2) return false;
        std::string wanted = plat::UpperCase(name);
        for (int j = flags.LowBound(2); j <= flags.HighBound(2); ++j)
            if (plat::UpperCase(flags.At(0, j).AsString()) == wanted)
                return flags.At(1, j).AsBoolean();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool IsLocalAddress(const std::string& address) {
    return address == "127.0.0.1";
}

// ---- Code pages -------------------------------------------------------------

std::string WideStrToAnsiCP(const std::string& text, int codePage) {
    return plat::ToCodePageReplacing(text, resolveCodePage(codePage)).text;
}

std::string AnsiStrToWideCP(const std::string& bytes, int codePage) {
    return plat::FromCodePageReplacing(bytes, resolveCodePage(codePage)).text;
}

Variant VarToAnsiCP(const Variant& value, int codePage) {
    return convertVariant(value, codePage, TextKind::Single, "LINE[2735] ");
}

Variant VarToWideCP(const Variant& value, int codePage) {
    return convertVariant(value, codePage, TextKind::Wide, "LINE[115] ");
}

std::string LocalizeDialogButtons(const std::string& buttonName) {
    for (const ButtonCaption& b : kButtonCaptions)
        if (buttonName == b.name) return b.caption;
    return buttonName;
}

}  // namespace ktrb
