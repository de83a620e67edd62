#include "platform/core/stringlist.h"

#include <gtest/gtest.h>

#include "platform/core/exceptions.h"

using namespace plat;

namespace {
std::vector<std::string> linesOf(const TStringList& l) {
    std::vector<std::string> v;
    for (int i = 0; i < l.Count(); ++i) v.push_back(l[i]);
    return v;
}
using Lines = std::vector<std::string>;
}  // namespace

TEST(StringList, LinesAndBounds) {
    TStringList l;
    l.Add("b");
    l.Add("c");
    l.Insert(0, "a");
    l.Insert(3, "d");
    EXPECT_EQ(linesOf(l), (Lines{"a", "b", "c", "d"}));
    l.Delete(1);
    l.SetStrings(0, "A");
    EXPECT_EQ(linesOf(l), (Lines{"A", "c", "d"}));
    EXPECT_THROW(l.Strings(3), EListError);
    EXPECT_THROW(l.Strings(-1), EListError);
    EXPECT_THROW(l.Delete(3), EListError);
    EXPECT_THROW(l.Insert(5, "x"), EListError);
    try {
        l.Strings(7);
    } catch (const EListError& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (7)");
    }
    l.Clear();
    EXPECT_EQ(l.Count(), 0);
}

TEST(StringList, IndexOfIgnoresCaseUnlessCaseSensitive) {
    TStringList l;
    l.SetCommaText("Alpha,beta,中文");
    EXPECT_EQ(l.IndexOf("ALPHA"), 0);
    EXPECT_EQ(l.IndexOf("中文"), 2);
    EXPECT_EQ(l.IndexOf("gamma"), -1);
    l.SetCaseSensitive(true);
    EXPECT_EQ(l.IndexOf("ALPHA"), -1);
}

TEST(StringList, NamesAndValues) {
    TStringList l;
    l.SetText("M11_TABLE=PURTG\r\nm11_key=TG001,TG002\nno name line\r\nE=\r\nX=a=b");
    EXPECT_EQ(l.Count(), 5);
    EXPECT_EQ(l.Values("M11_KEY"), "TG001,TG002");  // names ignore case
    EXPECT_EQ(l.Values("X"), "a=b");                // value runs past a second "="
    EXPECT_EQ(l.Values("missing"), "");
    EXPECT_EQ(l.Names(2), "");
    EXPECT_EQ(l.ValueFromIndex(2), "");  // a line without "=" has no value
    EXPECT_EQ(l.IndexOfName("e"), 3);
    EXPECT_EQ(l.IndexOfName("no name line"), -1);
    l.SetValues("M11_TABLE", "PURTH");
    EXPECT_EQ(l[0], "M11_TABLE=PURTH");
    l.SetValues("NEW", "1");
    EXPECT_EQ(l[l.Count() - 1], "NEW=1");
    l.SetValues("m11_table", "");  // an empty value removes the name
    EXPECT_EQ(l.IndexOfName("M11_TABLE"), -1);
    EXPECT_EQ(l.Count(), 5);
}

TEST(StringList, CommaTextQuotesWhatWouldNotReadBack) {
    struct Case {
        Lines items;
        const char* text;
    } cases[] = {
        {{"a", "b"}, "a,b"},
        {{"a b", "c,d", "say \"hi\"", "中文"}, "\"a b\",\"c,d\",\"say \"\"hi\"\"\",中文"},
        {{"a", "", "b"}, "a,,b"},
        {{""}, "\"\""},
        {{"a", ""}, "a,"},
        {{"", "a"}, ",a"},
        {{"tab\there"}, "\"tab\there\""},
        {{}, ""},
    };
    for (const Case& c : cases) {
        TStringList l;
        for (const std::string& s : c.items) l.Add(s);
        EXPECT_EQ(l.CommaText(), c.text);
        TStringList back;
        back.SetCommaText(c.text);
        EXPECT_EQ(linesOf(back), c.items) << c.text;
    }
}

TEST(StringList, CommaTextReading) {
    struct Case {
        const char* text;
        Lines items;
    } cases[] = {
        {"  a , b  ", {"a", "b"}},
        {"a b", {"a", "b"}},  // unquoted blanks split
        {"\"x\"\"y\",z", {"x\"y", "z"}},
        {"\"open", {"open"}},  // unterminated quote takes the rest
        {"\"ab\"cd,e", {"ab", "cd", "e"}},
        {"a,,", {"a", "", ""}},
    };
    for (const Case& c : cases) {
        TStringList l;
        l.SetCommaText(c.text);
        EXPECT_EQ(linesOf(l), c.items) << c.text;
    }
    TStringList nul;
    nul.SetCommaText(std::string_view("a\0b", 3));  // NUL counts as a blank
    EXPECT_EQ(linesOf(nul), (Lines{"a", "b"}));
}

TEST(StringList, DelimitedTextWithOwnDelimiterAndQuote) {
    TStringList l;
    l.SetDelimiter(';');
    l.SetQuoteChar('\'');
    l.SetDelimitedText("TH026;CheckBox;'Y N';'it''s'");
    EXPECT_EQ(linesOf(l), (Lines{"TH026", "CheckBox", "Y N", "it's"}));
    EXPECT_EQ(l.DelimitedText(), "TH026;CheckBox;'Y N';'it''s'");
    l.Clear();
    l.Add("a,b");
    l.Add("c;d");
    EXPECT_EQ(l.DelimitedText(), "a,b;'c;d'");
    EXPECT_EQ(l.CommaText(), "\"a,b\",c;d");  // CommaText keeps its own delimiter and quote
}

TEST(StringList, TextUsesCrLf) {
    TStringList l;
    l.SetText("a\r\nb\nc\rd\r\n\r\ne");
    EXPECT_EQ(linesOf(l), (Lines{"a", "b", "c", "d", "", "e"}));
    EXPECT_EQ(l.Text(), "a\r\nb\r\nc\r\nd\r\n\r\ne\r\n");
    l.SetText("");
    EXPECT_EQ(l.Count(), 0);
    l.SetText("only\r\n");
    EXPECT_EQ(linesOf(l), (Lines{"only"}));
}

TEST(StringList, SortedWithDuplicateRules) {
    TStringList l;
    l.SetSorted(true);
    for (const char* s : {"pear", "Apple", "fig", "apple"}) l.Add(s);
    EXPECT_EQ(linesOf(l), (Lines{"Apple", "fig", "pear"}));  // Ignore: "apple" equals "Apple"
    EXPECT_EQ(l.Add("APPLE"), 0);
    int index;
    EXPECT_TRUE(l.Find("FIG", index));
    EXPECT_EQ(index, 1);
    EXPECT_FALSE(l.Find("grape", index));
    EXPECT_EQ(index, 2);
    EXPECT_THROW(l.Insert(0, "x"), EListError);
    EXPECT_THROW(l.SetStrings(0, "x"), EListError);

    l.SetDuplicates(TDuplicates::Error);
    EXPECT_THROW(l.Add("pear"), EListError);
    EXPECT_EQ(l.Count(), 3);

    l.SetDuplicates(TDuplicates::Accept);
    int a = 1, b = 2;
    l.AddObject("fig", &a);
    l.AddObject("fig", &b);
    EXPECT_EQ(linesOf(l), (Lines{"Apple", "fig", "fig", "fig", "pear"}));
    EXPECT_EQ(l.Objects(3), &b);  // equal lines keep the order they came in
    EXPECT_TRUE(l.Find("fig", index));
    EXPECT_EQ(index, 1);
}

TEST(StringList, SortingLaterAndCaseSensitiveOrder) {
    TStringList l;
    l.SetCommaText("b,C,a");
    l.SetSorted(true);
    EXPECT_EQ(linesOf(l), (Lines{"a", "b", "C"}));
    l.SetCaseSensitive(true);
    EXPECT_EQ(linesOf(l), (Lines{"C", "a", "b"}));
    EXPECT_EQ(l.IndexOf("c"), -1);
    EXPECT_EQ(l.IndexOf("C"), 0);
}

TEST(StringList, SetValuesOnASortedListKeepsTheOrder) {
    TStringList l;
    l.SetSorted(true);
    l.Add("a=1");
    l.Add("m=2");
    l.SetValues("a", "9");
    l.SetValues("z", "3");
    EXPECT_EQ(linesOf(l), (Lines{"a=9", "m=2", "z=3"}));
}

TEST(StringList, ObjectsAssignAndAddStrings) {
    int x = 1, y = 2;
    TStringList l;
    l.AddObject("x", &x);
    l.Add("y");
    l.SetObjects(1, &y);
    EXPECT_EQ(l.Objects(0), &x);
    EXPECT_EQ(l.IndexOfObject(&y), 1);
    EXPECT_EQ(l.IndexOfObject(nullptr), -1);
    TStringList copy;
    copy.Add("old");
    copy.Assign(l);
    EXPECT_EQ(linesOf(copy), (Lines{"x", "y"}));
    EXPECT_EQ(copy.Objects(1), &y);
    copy.AddStrings(copy);
    EXPECT_EQ(copy.Count(), 4);
    TStringList sorted;
    sorted.SetSorted(true);
    sorted.AddStrings(copy);  // duplicates ignored on the way in
    EXPECT_EQ(linesOf(sorted), (Lines{"x", "y"}));
}
