#include <gtest/gtest.h>

#include "platform/core/exceptions.h"
#include "platform/data/field.h"
#include "runtime/LibXml.h"
#include "runtime/libUDF.h"

using namespace ktrb;

namespace {

TEST(LibXml, ReadXmlValueByPathAndAttribute) {
    const std::string xml =
        "<Result><Opinion Result=\"Y\">同意</Opinion><Opinion Result=\"N\"/></Result>";
    EXPECT_EQ(ReadXmlValue(xml, "Opinion", "Result", "?"), "Y");
    EXPECT_EQ(ReadXmlValue(xml, "Opinion", " ", "?"), "同意");
    EXPECT_EQ(ReadXmlValue(xml, "Missing", "", "?"), "?");
    EXPECT_EQ(ReadXmlValue(xml, "Opinion[", "", "?"), "?");  // invalid path
    EXPECT_EQ(ReadXmlValue("not xml", "Opinion", "", "dflt"), "dflt");
    EXPECT_EQ(ReadXmlValue("", "Opinion", "", "dflt"), "dflt");
}

TEST(LibXml, LoadXmlDocumentIgnoresTheParseResult) {
    plat::XmlDocument bad = LoadXmlDocument("<a><b></a>");
    EXPECT_FALSE(bad.DocumentElement());
    EXPECT_NE(bad.ParseError().errorCode, plat::XmlErrorCode::None);
    EXPECT_EQ(LoadXmlDocument("<a><b/></a>").DocumentElement().NodeName(), "a");
}

TEST(LibXml, XmlNames) {
    for (const char* ok : {"btnOK", "_x", "sCompany", "gdBody1", "a-b.c", "单头"})
        EXPECT_TRUE(IsXmlName(ok)) << ok;
    for (const char* bad : {"", "1a", "a/b", "a b", "*", "a[1]", "@x", "a|b"})
        EXPECT_FALSE(IsXmlName(bad)) << bad;
}

TEST(LibUDF, RulesOwnTheirSourceLists) {
    TUDFFields rules;
    TUDFField* rule = rules.Add();
    rule->TargetField = "TH010";
    rule->QueryText = "Q01";
    rule->RelatedFields().Add()->SourceFieldName = "TH004";
    EXPECT_EQ(rules.Count(), 1);
    EXPECT_EQ(rules.GetItem(0)->RelatedFields().GetItem(0)->SourceFieldName, "TH004");
    EXPECT_THROW(rules.GetItem(1), plat::EListError);
}

TEST(LibUDF, FindByFieldIsByIdentityLowestIndexFirst) {
    plat::TStringField a, b, sameNameAsA;
    a.SetFieldName("TH004");
    sameNameAsA.SetFieldName("TH004");
    TUDFRelatedFields list;
    EXPECT_EQ(list.FindByField(&a), nullptr);
    TUDFRelatedField* first = list.Add();
    first->SourceField = &b;
    TUDFRelatedField* second = list.Add();
    second->SourceField = &a;
    TUDFRelatedField* third = list.Add();
    third->SourceField = &a;
    list.Add();  // a name that matched no field
    EXPECT_EQ(list.FindByField(&a), second);
    EXPECT_EQ(list.FindByField(&b), first);
    EXPECT_EQ(list.FindByField(&sameNameAsA), nullptr);
    EXPECT_EQ(list.FindByField(nullptr), nullptr);
}

}  // namespace
