// The elements of a user's rights set, as the host hands it over in
// "POWER_DATA": one bit for each right, 64 in all.
#pragma once
#include <cstdint>

namespace ktrb {

enum class TRight : int {
    // Bit p (0..14): page p of a single-table form may be edited.
    FirstPageEdit = 0,
    // Bit 15 + p (p 1..14): page p is not to be shown.
    PageHiddenBase = 15,
    // Edit, delete, confirm, unconfirm and void go by the record's creator
    // and group (the Own, Group and Others elements) instead.
    ByRecord = 31,
    // Prices and amounts: 32/34 price fields (34 read-only, neither
    // disabled), 33/35 amount fields likewise; the look-ups show them.
    LookupA = 32,
    LookupC = 33,
    LookupB = 34,
    LookupD = 35,
    Add = 36,
    Query = 37,
    Edit = 38,
    Delete = 39,
    Confirm = 40,
    Unconfirm = 41,
    Print = 42,
    SignOff = 43,
    Right44 = 44,
    Void = 45,
    GroupEdit = 47,
    GroupDelete = 48,
    GroupConfirm = 49,
    GroupUnconfirm = 50,
    GroupVoid = 52,
    OthersEdit = 54,
    OthersDelete = 55,
    OthersConfirm = 56,
    OthersUnconfirm = 57,
    OthersVoid = 59,
};

// The element of a single-table form's page p: may be edited / is hidden.
constexpr int PageEditRight(int page) {
    return static_cast<int>(TRight::FirstPageEdit) + page;
}
constexpr int PageHiddenRight(int page) {
    return static_cast<int>(TRight::PageHiddenBase) + page;
}

constexpr bool HasRightIn(uint64_t set, int element) {
    return element >= 0 && element < 64 && ((set >> element) & 1u) != 0;
}
constexpr bool HasRightIn(uint64_t set, TRight right) {
    return HasRightIn(set, static_cast<int>(right));
}

}  // namespace ktrb
