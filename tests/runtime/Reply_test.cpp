#include "runtime/Reply.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/core/variant.h"

using namespace ktrb;
using plat::VarArrayOf;
using plat::Variant;

namespace {

enum TRow { rCode, rName, rMissing = 7 };

// A reply whose low bound is not 0: positions count from the low bound.
Variant shiftedRow() {
    Variant row = plat::VarArrayCreate({3, 5});
    row[3] = Variant("A1");
    row[4] = plat::Null();
    row[5] = Variant(12);
    return row;
}

}  // namespace

// Every shape a reply may come in reads as empty where it has no such
// position; none of them throws.
TEST(Reply, PositionsAReplyDoesNotHaveReadAsEmpty) {
    Variant grid = plat::VarArrayCreate({0, 1, 0, 1});
    grid.At(0, 0) = Variant("x");
    struct Case {
        const char* what;
        Variant reply;
        int index;
        std::string text;
    };
    const Case cases[] = {
        {"first of a row", VarArrayOf({"A1", "name"}), 0, "A1"},
        {"past the end", VarArrayOf({"A1", "name"}), 2, ""},
        {"negative", VarArrayOf({"A1", "name"}), -1, ""},
        {"scalar", Variant("A1"), 0, ""},
        {"unassigned", Variant(), 0, ""},
        {"two-dimensional", grid, 0, ""},
        {"from the low bound", shiftedRow(), 0, "A1"},
        {"null", shiftedRow(), 1, ""},
        {"number", shiftedRow(), 2, "12"},
        {"past a shifted end", shiftedRow(), 3, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReplyText(c.reply, c.index), c.text) << c.what;
        if (c.text.empty()) {
            EXPECT_TRUE(ReplyAt(c.reply, c.index).IsEmptyOrNull()) << c.what;
        }
    }
}

TEST(Reply, LayoutEnumsNamePositions) {
    const Variant row = VarArrayOf({"A1", "name"});
    EXPECT_EQ(ReplyText(row, rName), "name");
    EXPECT_TRUE(ReplyAt(row, rMissing).IsEmpty());
}

TEST(Reply, RowsAreTheArrayElementsOnly) {
    const Variant reply =
        VarArrayOf({VarArrayOf({"a", 1}), "stray", VarArrayOf({"b", plat::Null()})});
    const std::vector<Variant> rows = ReplyRows(reply);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(ReplyTexts(rows[1]), (std::vector<std::string>{"b", ""}));
    EXPECT_TRUE(ReplyRows(Variant("scalar")).empty());
    EXPECT_EQ(ReplyText(ReplyFirstRow(reply), 0), "a");
    EXPECT_TRUE(ReplyFirstRow(VarArrayOf({"a", "b"})).IsEmpty());
}

TEST(Reply, FirstCellOfRowsOrOfAGrid) {
    Variant grid = plat::VarArrayCreate({1, 2, 1, 2});
    grid.At(1, 1) = Variant("g");
    Variant cell;
    ASSERT_TRUE(FirstCell(grid, cell));
    EXPECT_EQ(plat::VarToStr(cell), "g");
    EXPECT_EQ(plat::VarToStr(FirstElement(grid)), "g");
    ASSERT_TRUE(FirstCell(VarArrayOf({VarArrayOf({"r"})}), cell));
    EXPECT_EQ(plat::VarToStr(cell), "r");
    EXPECT_FALSE(FirstCell(VarArrayOf({VarArrayOf({})}), cell));
    EXPECT_EQ(plat::VarToStr(FirstElement(Variant("v"))), "v");
}
