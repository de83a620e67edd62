#include "forms/DoubleTxn.h"

#include "platform/core/format.h"
#include "platform/core/text.h"
#include "runtime/LibStrs.h"
#include "runtime/Reply.h"

namespace ktrb {

using plat::Variant;

Variant BuildTxnTarget(const std::string& serverClass, const std::string& programCode,
                       const std::string& txnValues) {
    std::string first = plat::Trim(TokenAt(txnValues, ";", 1));
    std::string second = plat::Trim(TokenAt(txnValues, ";", 2));
    return plat::VarArrayOf(
        {first.empty() ? serverClass : first, second.empty() ? programCode : second});
}

std::string TxnAction(TStatusChange kind) {
    switch (kind) {
        case TStatusChange::Confirm:
            return "DO";
        case TStatusChange::Unconfirm:
            return "UNDO";
        case TStatusChange::Void:
            return "VOID";
        case TStatusChange::Unvoid:
            return "UNVOID";
    }
    return {};
}

Variant BuildConfirmKeys(const TConfirmRequestInput& in) {
    const int n = (int)in.keyTexts.size();
    Variant k = Variant::CreateArray({0, n + 1}, plat::VarType::OleStr);
    k[0] = TxnAction(in.kind);
    for (int i = 0; i < n; ++i) k[i + 1] = in.keyTexts[i];
    if (n > 0 && !in.serverNumber.empty()) k[n] = in.serverNumber;
    k[n + 1] = in.flagText;
    return k;
}

Variant BuildConfirmRequest(const TConfirmRequestInput& in, const Variant& target) {
    const int n = (int)in.keyTexts.size();
    const Variant k = BuildConfirmKeys(in);
    Variant p = Variant::CreateArray({0, n + 6});
    p[0] = std::string();
    p[1] = std::string("N");
    for (int i = 0; i <= n + 1; ++i) p[i + 2] = k[i];
    p[n + 4] = std::string();
    p[n + 5] = in.confirmDate;
    p[n + 6] = in.programId;
    Variant r = Variant::CreateArray({0, 9});
    r[0] = "TXN" + plat::VarToStr(target[1]);
    r[1] = in.company;
    r[2] = std::string("S");
    r[3] = in.user;
    r[4] = std::string();
    r[5] = p;
    r[6] = in.uiCodePage;
    r[7] = in.systemCodePage;
    r[8] = in.programFlag;
    return r;
}

Variant ReadTxnResult(plat::Dispatch& server, bool succeeded) {
    auto get = [&](const char* name) {
        try {
            return server.Get(name);
        } catch (const std::exception&) {
            return Variant();
        }
    };
    Variant result = Variant::CreateArray({0, 2});
    if (succeeded) {
        result[2] = get("ReturnSeq");
    } else {
        result[0] = get("ErrorCode");
        result[1] = get("ResultDesc");
        result[2] = get("ErrorDescript");
    }
    return result;
}

TCodedResult CodedResult(const Variant& result) {
    TCodedResult coded;
    const Variant desc = ReplyAt(result, 1);
    const Variant args = ReplyAt(desc, 2);
    if (!args.IsArray()) return coded;
    coded.coded = true;
    coded.kind = ReplyText(desc, 0);
    coded.code = ReplyText(desc, 1);
    for (const std::string& text : ReplyTexts(args)) {
        if (coded.args.size() == 10) break;
        coded.args.push_back(plat::Variant(text));
    }
    return coded;
}

std::string ResultText(const Variant& result) {
    const Variant text = ReplyAt(result, 2);
    if (text.IsArray()) return {};
    try {
        return plat::VarToStr(text);
    } catch (const std::exception&) {
        return {};
    }
}

void TBatchTally::AddFailure(const std::vector<std::string>& keyTexts) {
    ++failed;
    std::string keys;
    for (const std::string& k : keyTexts) keys += k + "-";
    if (!keys.empty() && keys.back() == '-') keys.back() = ',';
    failedText += keys;
    if (failed % 5 == 0) failedText += "\r\n";
}

std::string TBatchTally::FailedList() const {
    std::string text = failedText;
    if (!text.empty() && text.back() == ',') text.pop_back();
    return text;
}

std::string TBatchTally::Summary(const std::string& withFailures,
                                 const std::string& withoutFailures) const {
    if (failed > 0)
        return plat::Format(withFailures, {total, succeeded, exceptions, failed, FailedList()});
    return plat::Format(withoutFailures, {total, succeeded, exceptions, failed});
}

}  // namespace ktrb
