// Case-insensitive (ASCII) keys for the registries of this layer, usable
// with heterogeneous lookup so that a lookup by string_view allocates nothing.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace plat::detail {

inline unsigned char FoldAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? c + 32 : c;
}

inline bool SameTextAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldAscii((unsigned char)a[i]) != FoldAscii((unsigned char)b[i])) return false;
    return true;
}

struct NoCaseHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const noexcept {
        size_t h = 1469598103934665603ull;  // FNV-1a
        for (unsigned char c : s) {
            h ^= FoldAscii(c);
            h *= 1099511628211ull;
        }
        return h;
    }
};

struct NoCaseEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const noexcept {
        return SameTextAscii(a, b);
    }
};

inline std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (unsigned char)s.front() <= ' ') s.remove_prefix(1);
    while (!s.empty() && (unsigned char)s.back() <= ' ') s.remove_suffix(1);
    return s;
}

}  // namespace plat::detail
