// Reading the replies of the server and the host: a value, an array of values
// (one row), or an array of rows. Positions count from 0 at the array's low
// bound; a position a reply does not have reads as Unassigned, so a short,
// scalar or two-dimensional reply reads as empty instead of throwing. Each
// reply layout names its positions with an enum of its own, which these
// functions take as they take a number.
#pragma once
#include <string>
#include <type_traits>
#include <vector>

#include "platform/core/variant.h"

namespace ktrb {

// Element `index` of a one-dimensional array; Unassigned when there is none.
plat::Variant ReplyAt(const plat::Variant& row, int index);
// The same as text: empty for Unassigned and Null.
std::string ReplyText(const plat::Variant& row, int index);
// Every element of a one-dimensional array as text.
std::vector<std::string> ReplyTexts(const plat::Variant& row);

template <class E>
requires std::is_enum_v<E> plat::Variant ReplyAt(const plat::Variant& row, E at) {
    return ReplyAt(row, static_cast<int>(at));
}
template <class E>
requires std::is_enum_v<E> std::string ReplyText(const plat::Variant& row, E at) {
    return ReplyText(row, static_cast<int>(at));
}

// The rows of a reply: its elements that are arrays; none for an empty, null
// or scalar reply.
std::vector<plat::Variant> ReplyRows(const plat::Variant& reply);
// The first element of a reply when it is a row; Unassigned otherwise.
plat::Variant ReplyFirstRow(const plat::Variant& reply);

// The first element of an array reply (of a two-dimensional one, its first
// cell), Unassigned for an empty array, or the value itself.
plat::Variant FirstElement(const plat::Variant& reply);
// True with the first value of the first row of a row set: rows as an array
// of row arrays, or as a two-dimensional array.
bool FirstCell(const plat::Variant& rows, plat::Variant& cell);

}  // namespace ktrb
