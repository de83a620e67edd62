#include "standins/host/serial_program.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/core/text.h"
#include "standins/appserver/sqlite_db.h"
#include "standins/servers/variant_args.h"

namespace standin {

namespace {

std::string Col(const std::vector<plat::Variant>& row, const std::vector<std::string>& names,
                const std::string& name) {
    auto it = std::find(names.begin(), names.end(), name);
    return it == names.end() ? std::string() : plat::VarToStr(row[size_t(it - names.begin())]);
}

std::string MB(int n) {
    std::string s = std::to_string(n);
    return "MB" + std::string(3 - s.size(), '0') + s;
}

// A count of digits read without overflow; -1 for anything else.
long long ReadNumber(const std::string& text) {
    std::string t = plat::Trim(text);
    if (t.empty() || t.size() > 9) return -1;
    long long v = 0;
    for (char c : t) {
        if (c < '0' || c > '9') return -1;
        v = v * 10 + (c - '0');
    }
    return v;
}

struct Slot {
    std::string kind, param, fixed, align, fill;
    int length = 0;
};

// The slot's text before the running number is put in.
std::string SlotText(const Slot& s, const std::vector<std::string>& a) {
    int kind = (int)ReadNumber(s.kind.substr(0, s.kind.find('.')));
    std::string text = kind >= 1 && kind + 1 < (int)a.size() ? a[size_t(kind + 1)] : "";
    if (kind == 3 && text.size() == 8) {
        int l = std::clamp(s.length, 0, 4);
        std::string year = text.substr(4 - l, l);
        char form = s.param.empty() ? '1' : s.param[0];
        text = form == '2'   ? year + text.substr(4, 2)
               : form == '3' ? year + text.substr(4, 4)
                             : year;
    }
    if (kind == 6) {
        long long run = ReadNumber(s.param);
        if (text.find('*') == std::string::npos)
            text.assign(size_t(std::clamp(run, 1LL, 18LL)), '*');
    }
    if (kind != 7 && kind != 6 && !text.empty() && s.fixed == "Y" && s.length > 0) {
        size_t l = size_t(std::min(s.length, 255));
        char fill = s.fill.empty() ? '0' : s.fill[0];
        if (s.align == "2") {
            if (text.size() > l) text = text.substr(text.size() - l);
            text.insert(0, l - text.size(), fill);
        } else {
            text.resize(l, fill);
        }
    }
    return text;
}

}  // namespace

plat::Variant RunSerialProgram(Database& db, const plat::Variant& params) {
    std::vector<std::string> a(21);
    plat::Variant values = ArgItem(params, 1);
    for (int i = 0; i < 21; ++i) a[size_t(i)] = plat::Trim(ArgText(ArgItem(values, i)));
    const std::string format = a[1], item = a[2], lot = a[3];
    if (format.empty() || item.empty()) return plat::Variant();

    std::lock_guard<std::recursive_mutex> lock(db.Mutex());
    Statement st(db, "SELECT * FROM BMSMB WHERE MB001 = ?");
    st.Bind(1, format);
    if (!st.Step()) return plat::Variant();
    std::vector<std::string> names;
    std::vector<plat::Variant> row;
    for (int i = 0; i < st.ColumnCount(); ++i) {
        names.push_back(plat::UpperCase(st.ColumnName(i)));
        row.push_back(st.Column(i));
    }
    const std::string separator = Col(row, names, "MB004") == "Y" ? Col(row, names, "MB005") : "";
    std::string pattern;
    for (int k = 1; k <= 10; ++k) {
        Slot s{Col(row, names, MB(6 + k)), Col(row, names, MB(16 + k)), Col(row, names, MB(26 + k)),
               Col(row, names, MB(36 + k)), Col(row, names, "MB067")};
        s.length = (int)std::max(0LL, ReadNumber(Col(row, names, MB(46 + k))));
        if (s.kind.empty() || s.kind == "0") continue;
        std::string text = SlotText(s, a);
        pattern += pattern.empty() ? text : separator + text;
    }
    size_t runStart = pattern.find('*');
    if (runStart == std::string::npos) return plat::Variant();
    size_t runLength = pattern.find_first_not_of('*', runStart);
    runLength = (runLength == std::string::npos ? pattern.size() : runLength) - runStart;
    auto serialOf = [&](long long n) {
        std::string number = std::to_string(n);
        if (number.size() < runLength) number.insert(0, runLength - number.size(), '0');
        return pattern.substr(0, runStart) + number + pattern.substr(runStart + runLength);
    };

    Statement known(db, "SELECT 1 FROM PSMMA WHERE MA001 = ? AND MA002 = ?");
    auto registered = [&](const std::string& serial) {
        known.BindAll({serial, item});
        bool found = known.Step();
        known.Reset();
        return found;
    };
    long long first = ReadNumber(a[19]), last = ReadNumber(a[20]);
    if (first < 0 && last < 0) {
        first = 1;
        while (first < kMaxSerialsPerRun && registered(serialOf(first))) ++first;
        last = first;
    }
    if (first < 1) first = 1;
    if (last < first) last = first;
    last = std::min(last, first + kMaxSerialsPerRun - 1);

    TransactionGuard tx(db);
    Statement add(db,
                  "INSERT OR IGNORE INTO PSMMA (MA001, MA002, MA003, MA004, MA007) "
                  "VALUES (?, ?, ?, '1', 'N')");
    std::vector<plat::Variant> serials;
    for (long long n = first; n <= last; ++n) {
        std::string serial = serialOf(n);
        add.BindAll({serial, item, lot});
        add.Step();
        add.Reset();
        serials.emplace_back(serial);
    }
    tx.Commit();
    return plat::Variant::ArrayOf(std::move(serials));
}

}  // namespace standin
