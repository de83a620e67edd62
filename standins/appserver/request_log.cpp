#include "standins/appserver/request_log.h"

#include <array>
#include <ctime>

#include "platform/core/text.h"
#include "standins/appserver/sqlite_db.h"
#include "standins/appserver/wire_frame.h"

namespace standin {

namespace {

constexpr std::array<const char*, 9> kLoggedMembers = {
    "AS_ApplyUpdates", "TransactionSQL", "KeyinMoney",     "INSERTSVJOB",   "SVFinishJob",
    "SetUserDefine",   "InsertConTable", "DeleteConTable", "ChangeConName",
};

// Answers are kept this long: a retry comes within seconds, a restarted
// server within minutes.
constexpr long long kKeptSeconds = 2 * 24 * 3600;

std::string ToHex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string FromHex(const std::string& hex) {
    if (hex.size() % 2) throw CodecError("A kept answer is damaged");
    std::string out(hex.size() / 2, '\0');
    for (size_t i = 0; i < out.size(); ++i) {
        int hi = HexDigit(hex[2 * i]), lo = HexDigit(hex[2 * i + 1]);
        if (hi < 0 || lo < 0) throw CodecError("A kept answer is damaged");
        out[i] = char(hi * 16 + lo);
    }
    return out;
}

}  // namespace

bool IsLoggedRequest(const std::string& member, const std::vector<plat::Variant>& args) {
    std::string name = member;
    if (plat::SameText(member, "GETCOUNTER") && !args.empty())
        name = plat::Trim(plat::VarToStr(args[0]));
    for (const char* logged : kLoggedMembers)
        if (plat::SameText(name, logged)) return true;
    return false;
}

plat::Variant RunLoggedRequest(Database& db, const std::string& user, const std::string& id,
                               const std::function<plat::Variant()>& run) {
    TransactionGuard tx(db);
    db.Exec(
        "CREATE TABLE IF NOT EXISTS SYSRQ (RQ001 NVARCHAR(20) NOT NULL, RQ002 NVARCHAR(64) NOT "
        "NULL, RQ003 TEXT NOT NULL, RQ004 INTEGER NOT NULL, PRIMARY KEY (RQ001, RQ002))");
    auto kept = db.Query("SELECT RQ003 FROM SYSRQ WHERE RQ001 = ?1 AND RQ002 = ?2", {user, id});
    if (!kept.empty()) return DecodeWireValue(FromHex(plat::VarToStr(kept[0][0])));
    plat::Variant answer = run();
    const long long now = (long long)std::time(nullptr);
    db.Query("DELETE FROM SYSRQ WHERE RQ004 < ?1", {plat::Variant(now - kKeptSeconds)});
    db.Query("INSERT INTO SYSRQ (RQ001, RQ002, RQ003, RQ004) VALUES (?1, ?2, ?3, ?4)",
             {user, id, ToHex(EncodeWireValue(answer)), plat::Variant(now)});
    tx.Commit();
    return answer;
}

}  // namespace standin
