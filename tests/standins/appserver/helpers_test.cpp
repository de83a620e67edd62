#include <gtest/gtest.h>

#include "standins/appserver/mini_xml.h"
#include "standins/appserver/server.h"

using namespace standin;

TEST(RoundHalfAway, RoundsTheDecimalExpansionHalfAwayFromZero) {
    struct Case {
        double value;
        int decimals;
        double expected;
    } cases[] = {{2.5, 0, 3},     {-2.5, 0, -3},           {0.125, 2, 0.13},
                 {1.005, 2, 1.0}, {999.995, 2, 1000},      {12.3449999, 2, 12.34},
                 {0, 2, 0},       {884.955752, 2, 884.96}, {123456.5, 0, 123457}};
    for (auto& c : cases)
        EXPECT_DOUBLE_EQ(RoundHalfAway(c.value, c.decimals), c.expected) << c.value;
}

TEST(MiniXml, ReadsElementsAttributesAndEntities) {
    auto root = ParseXml(
        "<?xml version=\"1.0\" encoding=\"GB2312\"?><!-- 注释 -->"
        "<colormanager><head><component name=\"gdHead\" enable=\"Y\">"
        "<condition value=\"$$MOCTH.TH023='Y' &amp;&amp; a&lt;b\" "
        "msg=\"已审核&#x5355;\"/></component>"
        "</head><x>text &gt; <![CDATA[<raw>]]></x></colormanager>");
    EXPECT_EQ(root->name, "colormanager");
    const XmlElement* c = root->Child("head")->Child("component");
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->Attribute("enable"), "Y");
    EXPECT_EQ(c->Attribute("missing"), "");
    const XmlElement* cond = c->Child("condition");
    EXPECT_EQ(cond->Attribute("value"), "$$MOCTH.TH023='Y' && a<b");
    EXPECT_EQ(cond->Attribute("msg"), "已审核单");
    EXPECT_EQ(root->Child("x")->text, "text > <raw>");
}

TEST(MiniXml, MalformedTextsRaiseWithTheOffset) {
    for (const char* bad :
         {"", "<a>", "<a></b>", "<a x=1/>", "<a>&nope;</a>", "<a/><b/>", "<a>&#0;</a>"}) {
        try {
            ParseXml(bad);
            ADD_FAILURE() << bad;
        } catch (const XmlError& e) {
            EXPECT_NE(std::string(e.what()).find("Malformed XML at offset"), std::string::npos);
        }
    }
    EXPECT_EQ(XmlEscape("a<b & \"c\""), "a&lt;b &amp; &quot;c&quot;");
}
