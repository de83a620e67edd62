#include "platform/data/provider.h"

#include <gtest/gtest.h>

#include "platform/core/exceptions.h"
#include "platform/data/valuecodec.h"

using namespace plat;

namespace {

std::vector<TPacketField> headerFields() {
    TPacketField serial = PacketField("SN", TFieldType::ftString, 20);
    TPacketField lineKey = PacketField("LK", TFieldType::ftString, 4);
    lineKey.inKey = true;
    TPacketField qty = PacketField("QTY", TFieldType::ftFloat);
    TPacketField serials = PacketField("qryFoot", TFieldType::ftDataSet);
    serials.fields = {serial};
    TPacketField key = PacketField("K", TFieldType::ftString, 10);
    key.inKey = true;
    TPacketField name = PacketField("NAME", TFieldType::ftString, 20);
    TPacketField derived = PacketField("NAMEC", TFieldType::ftString, 20);
    derived.inUpdate = false;
    TPacketField lines = PacketField("qryBody", TFieldType::ftDataSet);
    lines.fields = {lineKey, qty, serials};
    return {key, name, derived, lines};
}

TPacketRow row(std::initializer_list<Variant> v, std::vector<std::vector<TPacketRow>> d = {}) {
    return TPacketRow{TValueRow(v), std::move(d)};
}

}  // namespace

TEST(ValueRow, KeepsEveryKindOfValueApart) {
    Variant arr = VarArrayOf({1, "x", Null()});
    TValueRow r{Variant(),
                Null(),
                std::string(),
                "中文",
                0.0,
                -2.5,
                7,
                true,
                Variant::Currency(12.3456),
                Variant::Date(45000.5),
                Variant::Wide("w"),
                arr,
                Variant::Integer(VarType::SmallInt, -3),
                Variant((long long)1 << 40)};
    auto v = r.Values();
    ASSERT_EQ(v.size(), 14u);
    EXPECT_TRUE(v[0].IsEmpty());
    EXPECT_TRUE(v[1].IsNull());
    EXPECT_TRUE(v[2].IsText());
    EXPECT_EQ(v[2].AsString(), "");
    EXPECT_EQ(v[3].AsString(), "中文");
    EXPECT_EQ(v[5].AsFloat(), -2.5);
    EXPECT_EQ(v[6].Type(), VarType::Integer);
    EXPECT_EQ(v[7].AsBoolean(), true);
    EXPECT_DOUBLE_EQ(v[8].AsFloat(), 12.3456);
    EXPECT_EQ(v[8].Type(), VarType::Currency);
    EXPECT_EQ(v[9].Type(), VarType::Date);
    EXPECT_EQ(v[10].Type(), VarType::OleStr);
    EXPECT_EQ(v[11][1].AsString(), "x");
    EXPECT_TRUE(v[11][2].IsNull());
    EXPECT_EQ(v[12].Type(), VarType::SmallInt);
    EXPECT_EQ(v[13].AsInt64(), (long long)1 << 40);
    EXPECT_EQ(r[3].AsString(), "中文");
    EXPECT_THROW(r[14], EListError);
}

namespace {

// Row i of the writer test: its number, a text of varying length, a double.
std::string rowText(int i) {
    return i == 7000 ? std::string(3u << 20, 'x')
                     : std::string((size_t)(i % 300), (char)('a' + i % 26));
}

TValueRow writeRow(TValueRowWriter& w, int i) {
    const std::string text = rowText(i);
    char* at = w.Room(codec::kMaxScalarBytes);
    w.Wrote((size_t)(codec::PutInteger(at, i) - at));
    at = w.Room(codec::kMaxScalarBytes + text.size());
    w.Wrote((size_t)(codec::PutString(at, text) - at));
    at = w.Room(codec::kMaxScalarBytes);
    w.Wrote((size_t)(codec::PutDouble(at, i * 0.5) - at));
    return w.EndRow(3);
}

}  // namespace

// Rows written into shared blocks, across block ends and past the largest
// block, read back as written; changing one of them or a copy touches no
// other row, and a row outlives the writer and its neighbours.
TEST(ValueRowWriter, RowsSharingBlocksStayApart) {
    constexpr int kRows = 30000;  // several megabytes: every block size
    std::vector<TValueRow> rows;
    {
        TValueRowWriter w;
        for (int i = 0; i < kRows; ++i) rows.push_back(writeRow(w, i));
        rows.push_back(w.EndRow(0));
    }
    for (int i = 0; i < kRows; ++i) {
        ASSERT_EQ(rows[(size_t)i].Count(), 3);
        ASSERT_EQ(rows[(size_t)i].Values(), (std::vector<Variant>{i, rowText(i), i * 0.5}))
            << "row " << i;
    }
    EXPECT_TRUE(rows.back().Empty());

    TValueRow copy = rows[100];
    copy.Append("more");
    rows[200].Append(Variant(1.5));
    EXPECT_EQ(rows[100].Count(), 3);
    EXPECT_EQ(rows[101][1].AsString(), rowText(101));
    EXPECT_EQ(copy[3].AsString(), "more");
    EXPECT_EQ(rows[200][3].AsFloat(), 1.5);
    EXPECT_EQ(rows[201].Values(), (std::vector<Variant>{201, rowText(201), 100.5}));
    EXPECT_EQ(copy, TValueRow({100, rowText(100), 50.0, "more"}));

    TValueRow kept = rows[kRows - 1];
    rows.clear();
    EXPECT_EQ(kept[1].AsString(), rowText(kRows - 1));
}

TEST(ProviderEncoding, PacketDeltaAndReplySurviveTheWire) {
    TDataPacket p;
    p.fields = headerFields();
    p.endOfData = false;
    p.rows = {
        row({"A", "name", "n", Variant()}, {{row({"0001", 2.0, Variant()}, {{row({"S1"})}})}})};
    EXPECT_EQ(DecodePacket(EncodePacket(p)), p);

    TDelta d;
    d.fields = p.fields;
    TDeltaRow master;
    master.id = 7;
    master.oldValues = TValueRow{"A", "name", "n", Variant()};
    TDeltaRow line{8,
                   TUpdateStatus::usModified,
                   TValueRow{"0001", 2.0, Variant()},
                   TValueRow{"0001", 3.0, Variant()},
                   {false, true, false},
                   {}};
    master.details = {{line}};
    d.rows = {master};
    EXPECT_EQ(DecodeDelta(EncodeDelta(d)), d);

    TApplyReply a;
    a.errorCount = 1;
    a.rows = {{8, false, {}, "changed", 3, 2, "ctx", TValueRow{"0001", 9.0}},
              {7, true, {{1, "X"}}, "", 0, 0, "", {}}};
    EXPECT_EQ(DecodeApplyReply(EncodeApplyReply(a)), a);

    TFetchRequest q{20, false, true};
    TFetchRequest q2 = DecodeFetchRequest(EncodeFetchRequest(q));
    EXPECT_EQ(q2.count, 20);
    EXPECT_FALSE(q2.restart);
    EXPECT_TRUE(q2.metadata);
}

TEST(ProviderEncoding, MalformedBytesRaise) {
    std::string good = EncodePacket(TDataPacket{headerFields(), {row({"A", "b", "c", Variant()})}});
    for (size_t cut : {size_t(0), size_t(1), good.size() / 2, good.size() - 1})
        EXPECT_THROW(DecodePacket(good.substr(0, cut)), EDatabaseError) << cut;
    EXPECT_THROW(DecodeDelta(good), EDatabaseError);
    // A row claiming a count that wraps to a negative number.
    TDataPacket empty{headerFields(), {TPacketRow{}}};
    std::string wrapped = EncodePacket(empty);
    size_t at = wrapped.size() - 3;  // the row's count, its empty bytes, its detail count
    ASSERT_EQ(wrapped.substr(at), std::string("\0\0\0", 3));
    wrapped.replace(at, 1, "\xFF\xFF\xFF\xFF\x0F");
    EXPECT_THROW(DecodePacket(wrapped), EDatabaseError);
    // Arrays nested without end exhaust no stack.
    std::string deep = EncodeVariant(Variant());
    deep.pop_back();
    std::string level = EncodeVariant(VarArrayOf({Variant()}));
    level = level.substr(1, level.size() - 2);  // the array's head, without its one element
    for (int i = 0; i < 200000; ++i) deep += level;
    deep += EncodeVariant(Variant()).substr(1);
    EXPECT_THROW(DecodeVariant(deep), EDatabaseError);
    Variant nested = VarArrayOf({VarArrayOf({VarArrayOf({1, "x"})})});
    EXPECT_EQ(DecodeVariant(EncodeVariant(nested))[0][0][1].AsString(), "x");
}

TEST(MemoryProvider, ServesPacketsFromItsCursor) {
    std::vector<TPacketRow> rows;
    for (int i = 0; i < 5; ++i) rows.push_back(row({std::to_string(i), "n", "", Variant()}));
    TMemoryProvider p("pvd", headerFields(), rows);
    auto first = p.GetRecords({2, true, true});
    EXPECT_EQ(first.rows.size(), 2u);
    EXPECT_FALSE(first.endOfData);
    EXPECT_EQ(first.fields.size(), 4u);
    auto next = p.GetRecords({2, false, false});
    EXPECT_EQ(next.rows[0].values[0].AsString(), "2");
    EXPECT_TRUE(next.fields.empty());
    auto rest = p.GetRecords({-1, false, false});
    EXPECT_EQ(rest.rows.size(), 1u);
    EXPECT_TRUE(rest.endOfData);
}

TEST(MemoryProvider, RefusesRowsChangedSinceReadAndRollsBack) {
    TMemoryProvider p("pvd", headerFields(),
                      {row({"A", "old", "", Variant()}), row({"B", "bee", "", Variant()})});
    TDelta d;
    d.fields = p.Fields();
    d.rows.push_back({1,
                      TUpdateStatus::usModified,
                      TValueRow{"A", "old", "", Variant()},
                      TValueRow{"A", "new", "", Variant()},
                      {false, true, false, false},
                      {}});
    // The second row was read as "stale": the server now holds "bee".
    d.rows.push_back({2,
                      TUpdateStatus::usModified,
                      TValueRow{"B", "stale", "", Variant()},
                      TValueRow{"B", "x", "", Variant()},
                      {false, true, false, false},
                      {}});
    TApplyReply r = p.ApplyUpdates(d, 0);
    EXPECT_FALSE(r.committed);
    EXPECT_EQ(r.errorCount, 1);
    ASSERT_EQ(r.rows.size(), 1u);
    EXPECT_EQ(r.rows[0].id, 2u);
    EXPECT_EQ(r.rows[0].current[1].AsString(), "bee");
    EXPECT_EQ(p.Rows()[0].values[1].AsString(), "old");  // nothing stored

    r = p.ApplyUpdates(d, -1);
    EXPECT_TRUE(r.committed);
    EXPECT_EQ(p.Rows()[0].values[1].AsString(), "new");
    EXPECT_EQ(p.Rows()[1].values[1].AsString(), "bee");
}
