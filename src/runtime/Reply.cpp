#include "runtime/Reply.h"

namespace ktrb {

using plat::Variant;

Variant ReplyAt(const Variant& row, int index) {
    if (!row.IsArray() || row.DimCount() != 1 || index < 0) return Variant();
    if (index > row.HighBound() - row.LowBound()) return Variant();
    return row[row.LowBound() + index];
}

std::string ReplyText(const Variant& row, int index) {
    return plat::VarToStr(ReplyAt(row, index));
}

std::vector<std::string> ReplyTexts(const Variant& row) {
    std::vector<std::string> texts;
    if (!row.IsArray() || row.DimCount() != 1) return texts;
    for (int i = row.LowBound(); i <= row.HighBound(); ++i) texts.push_back(plat::VarToStr(row[i]));
    return texts;
}

std::vector<Variant> ReplyRows(const Variant& reply) {
    std::vector<Variant> rows;
    if (!reply.IsArray() || reply.DimCount() != 1) return rows;
    for (int i = reply.LowBound(); i <= reply.HighBound(); ++i)
        if (reply[i].IsArray()) rows.push_back(reply[i]);
    return rows;
}

Variant ReplyFirstRow(const Variant& reply) {
    Variant row = ReplyAt(reply, 0);
    return row.IsArray() ? row : Variant();
}

Variant FirstElement(const Variant& reply) {
    if (!reply.IsArray()) return reply;
    if (reply.ArrayCount() == 0) return Variant();
    if (reply.DimCount() == 2) return reply.At(reply.LowBound(1), reply.LowBound(2));
    return reply[reply.LowBound(1)];
}

bool FirstCell(const Variant& rows, Variant& cell) {
    if (!rows.IsArray() || rows.ArrayCount() == 0) return false;
    if (rows.DimCount() == 2) {
        cell = rows.At(rows.LowBound(1), rows.LowBound(2));
        return true;
    }
    const Variant& row = rows[rows.LowBound(1)];
    if (!row.IsArray()) {
        cell = row;
        return true;
    }
    if (row.ArrayCount() == 0) return false;
    cell = row[row.LowBound(1)];
    return true;
}

}  // namespace ktrb
