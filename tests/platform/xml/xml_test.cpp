#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/core/text.h"
#include "platform/xml/xmldocument.h"
#include "platform/xml/xpath.h"

using namespace plat;

namespace {

const char* kSettings =
    "<?xml version=\"1.0\" encoding=\"GB2312\"?><!-- 用户设置 -->"
    "<MT_User CompanyID=\"C1\" ProgID=\"KTRB52\">"
    "<Components>"
    "<Component ID=\"edTH003\"><Required>-1</Required><Caption> 单号 </Caption></Component>"
    "<Component ID=\"cboTH010\"><Required>-1</Required></Component>"
    "<Component ID=\"edTH004\"><Required>0</Required></Component>"
    "</Components>"
    "<gdBody1><Field ID=\"TI004\"><Index>2</Index></Field></gdBody1>"
    "<colormanager><a><b>"
    "<component enable=\"Y\" name=\"first\"/><component enable=\"N\" name=\"off\"/>"
    "<component enable=\"Y\" name=\"second\"/>"
    "</b></a></colormanager>"
    "<btnOK Caption=\"确定\" Hint=\"保存\"/><sCompany Msg=\"公司编号\"/>"
    "</MT_User>";

std::string tempFile(const std::string& name) {
    return (std::filesystem::temp_directory_path() /
            ("ktrb-xml-" + std::to_string(::getpid()) + "-" + name))
        .string();
}

void writeBytes(const std::string& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

std::string readBytes(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string names(const XmlNodeList& list, const char* attribute = nullptr) {
    std::string out;
    for (const XmlNode& n : list) {
        if (!out.empty()) out += ",";
        out += attribute ? n.GetAttribute(attribute) : n.Text();
    }
    return out;
}

}  // namespace

TEST(Xml, SelectsByThePathsInUse) {
    XmlDocument doc;
    ASSERT_TRUE(doc.LoadXML(kSettings)) << doc.ParseError().reason;
    XmlNode root = doc.DocumentElement();
    ASSERT_TRUE(root);
    EXPECT_EQ(root.NodeName(), "MT_User");
    struct Case {
        XmlNode from;
        const char* path;
        const char* texts;  // Text() of every match, joined with ","
    };
    const Case cases[] = {
        {doc.DocumentNode(), "//btnOK/@Caption", "确定"},
        {doc.DocumentNode(), "//sCompany/@Msg", "公司编号"},
        {root, "Components/Component[@ID='edTH003']/Caption", "单号"},
        {root, "Components/*[Required='-1']/@ID", "edTH003,cboTH010"},
        {root, "gdBody1/*[@ID='TI004']/Index", "2"},
        {root, "//colormanager/a/b/component[@enable=\"Y\"]/@name", "first,second"},
        {root, "@ProgID", "KTRB52"},
        {root, "//Missing", ""},
        {root.SelectSingleNode("Components"), "Component[Required='0']/@ID", "edTH004"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(names(c.from.SelectNodes(c.path)), c.texts);
        XmlNode first = c.from.SelectSingleNode(c.path);
        std::string firstText = names(c.from.SelectNodes(c.path));
        EXPECT_EQ(first.Text(), firstText.substr(0, firstText.find(',')));
    }
    EXPECT_TRUE(root.SelectSingleNode("//Missing").IsNull());
    EXPECT_THROW(root.SelectNodes("Components/*["), EXmlError);
    EXPECT_THROW(root.SelectSingleNode("count(//Component)"), EXmlError);  // not nodes
}

TEST(Xml, NodesAttributesAndText) {
    XmlDocument doc;
    ASSERT_TRUE(doc.LoadXML(kSettings));
    XmlNode root = doc.DocumentElement();
    XmlNodeList top = doc.DocumentNode().ChildNodes();
    ASSERT_EQ(top.Length(), 3);  // declaration, comment, root
    EXPECT_EQ(top.Item(0).NodeType(), XmlNodeType::ProcessingInstruction);
    EXPECT_EQ(top.Item(1).NodeType(), XmlNodeType::Comment);
    EXPECT_EQ(top.Item(1).NodeName(), "#comment");
    EXPECT_EQ(top.Item(1).Text(), " 用户设置 ");
    EXPECT_TRUE(top.Item(3).IsNull());
    EXPECT_EQ(doc.DocumentNode().NodeType(), XmlNodeType::Document);

    XmlNode comp = root.SelectSingleNode("Components/Component");
    EXPECT_EQ(comp.Text(), "-1 单号");  // descendants' text, ends trimmed
    XmlNode text = comp.SelectSingleNode("Caption").FirstChild();
    EXPECT_EQ(text.NodeType(), XmlNodeType::Text);
    EXPECT_EQ(text.NodeName(), "#text");
    EXPECT_EQ(text.Text(), " 单号 ");

    XmlNode btn = root.SelectSingleNode("btnOK");
    ASSERT_EQ(btn.AttributeCount(), 2);
    EXPECT_EQ(btn.Attribute(1).NodeName(), "Hint");
    EXPECT_EQ(btn.Attribute(1).NodeType(), XmlNodeType::Attribute);
    EXPECT_EQ(btn.Attribute(1).Text(), "保存");
    EXPECT_TRUE(btn.Attribute(2).IsNull());
    EXPECT_TRUE(btn.Attribute(-1).IsNull());
    EXPECT_EQ(btn.AttributeNode("Caption").Text(), "确定");
    EXPECT_TRUE(btn.AttributeNode("caption").IsNull());  // names are case-sensitive
    EXPECT_EQ(btn.GetAttribute("Width", "<none>"), "<none>");
    EXPECT_FALSE(btn.HasAttribute("Width"));

    btn.SetAttribute("Caption", "OK \"quoted\" & <more>");
    btn.SetAttribute("Width", "75");
    EXPECT_EQ(btn.AttributeCount(), 3);
    XmlNode caption = doc.SelectSingleNode("//btnOK/@Caption");
    EXPECT_EQ(caption.Text(), "OK \"quoted\" & <more>");
    caption.SetText("again");
    EXPECT_EQ(btn.GetAttribute("Caption"), "again");
    EXPECT_TRUE(caption.ParentNode().IsNull());

    XmlNode req = root.SelectSingleNode("Components/Component/Required");
    req.SetText("0");
    EXPECT_EQ(names(root.SelectNodes("Components/*[Required='-1']"), "ID"), "cboTH010");
    EXPECT_THROW(caption.SetAttribute("x", "y"), EXmlError);
}

TEST(Xml, ParseErrorsGiveCodeAndReason) {
    XmlDocument doc;
    ASSERT_TRUE(doc.LoadXML("<a/>"));
    EXPECT_FALSE(doc.LoadXML("<root>\n  <open>\n</root>"));
    EXPECT_EQ(doc.ParseError().errorCode, XmlErrorCode::Syntax);
    EXPECT_EQ(doc.ParseError().line, 3);
    EXPECT_NE(doc.ParseError().reason.find("line 3"), std::string::npos) << doc.ParseError().reason;
    EXPECT_TRUE(doc.DocumentElement().IsNull());  // the old content is gone
    EXPECT_EQ(doc.Xml(), "");

    EXPECT_FALSE(doc.LoadXML(""));
    EXPECT_EQ(doc.ParseError().errorCode, XmlErrorCode::NoDocumentElement);
    EXPECT_FALSE(doc.LoadXML("not xml at all"));
    EXPECT_NE(doc.ParseError().errorCode, XmlErrorCode::None);

    EXPECT_FALSE(doc.Load(tempFile("missing.xml")));
    EXPECT_EQ(doc.ParseError().errorCode, XmlErrorCode::FileNotFound);
    EXPECT_NE(doc.ParseError().reason.find("missing.xml"), std::string::npos);
    EXPECT_FALSE(doc.Load(std::filesystem::temp_directory_path().string()));
    EXPECT_EQ(doc.ParseError().errorCode, XmlErrorCode::IoError);

    ASSERT_TRUE(doc.LoadXML("<!DOCTYPE r [<!ELEMENT r (x)>]><r/>"));  // no validation
    EXPECT_EQ(doc.ParseError().errorCode, XmlErrorCode::None);
    EXPECT_EQ(doc.ParseError().reason, "");
}

TEST(Xml, DeclaredChineseEncodingsLoadAndSave) {
    struct Case {
        const char* encoding;
        CodePage cp;
    };
    const Case cases[] = {
        {"GB2312", CodePage::Gbk}, {"gbk", CodePage::Gbk}, {"Big5", CodePage::Big5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.encoding);
        std::string text = std::string("<?xml version=\"1.0\" encoding=\"") + c.encoding +
                           "\"?><Lng><btnOK Caption=\"確定中文\"/></Lng>";
        std::string file = tempFile(std::string("enc-") + c.encoding + ".xml");
        writeBytes(file, ToCodePage(text, c.cp));
        XmlDocument doc;
        ASSERT_TRUE(doc.Load(file)) << doc.ParseError().reason;
        EXPECT_EQ(doc.SelectSingleNode("//btnOK/@Caption").Text(), "確定中文");
        // Saving writes the declared encoding; a character it lacks becomes a reference.
        doc.DocumentElement().AppendElement("x").SetText("😀");
        doc.Save(file);
        std::string bytes = readBytes(file);
        EXPECT_NE(bytes.find(ToCodePage("確定中文", c.cp)), std::string::npos);
        EXPECT_NE(bytes.find("&#x1F600;"), std::string::npos);
        XmlDocument again;
        ASSERT_TRUE(again.Load(file)) << again.ParseError().reason;
        EXPECT_EQ(again.SelectSingleNode("//x").Text(), "😀");
        std::filesystem::remove(file);
    }
}

TEST(Xml, BadOrUnknownEncodingsAreReported) {
    XmlDocument doc;
    EXPECT_FALSE(doc.LoadBytes("<?xml version='1.0' encoding='GB2312'?><a>\xB6</a>"));
    EXPECT_EQ(doc.ParseError().errorCode, XmlErrorCode::BadEncoding);
    EXPECT_FALSE(doc.LoadBytes("<a>\xD6\xD0</a>"));  // GBK bytes, no declaration
    EXPECT_EQ(doc.ParseError().errorCode, XmlErrorCode::BadEncoding);
    EXPECT_TRUE(doc.DocumentElement().IsNull());
    EXPECT_FALSE(doc.LoadBytes("<?xml version='1.0' encoding='Shift_JIS'?><a/>"));
    EXPECT_EQ(doc.ParseError().errorCode, XmlErrorCode::UnsupportedEncoding);
    // A text is already Unicode: its declaration does not matter.
    ASSERT_TRUE(doc.LoadXML("<?xml version=\"1.0\" encoding=\"GB2312\"?><a>中</a>"));
    EXPECT_EQ(doc.DocumentElement().Text(), "中");
    ASSERT_TRUE(doc.LoadBytes("\xEF\xBB\xBF<a>中</a>"));
    EXPECT_EQ(doc.DocumentElement().Text(), "中");
    ASSERT_TRUE(doc.LoadBytes("<?xml version='1.0' encoding='ISO-8859-1'?><a>\xE9</a>"));
    EXPECT_EQ(doc.DocumentElement().Text(), "é");
}

TEST(Xml, AByteOrderMarkDoesNotSkipTheDeclaredEncoding) {
    const std::string gbk =
        ToCodePage("<?xml version='1.0' encoding='GB2312'?><a>中文</a>", CodePage::Gbk);
    XmlDocument doc;
    ASSERT_TRUE(doc.LoadBytes("\xEF\xBB\xBF" + gbk)) << doc.ParseError().reason;
    EXPECT_EQ(doc.DocumentElement().Text(), "中文");
    EXPECT_FALSE(doc.LoadBytes("\xEF\xBB\xBF<?xml version='1.0' encoding='GB2312'?><a>\xB6</a>"));
    EXPECT_EQ(doc.ParseError().errorCode, XmlErrorCode::BadEncoding);
}

TEST(Xml, TextOfADeeplyNestedElement) {
    const int depth = 100000;
    std::string text;
    for (int i = 0; i < depth; ++i) text += "<e>";
    text += "x";
    for (int i = 0; i < depth; ++i) text += "</e>";
    XmlDocument doc;
    ASSERT_TRUE(doc.LoadXML("<r>a" + text + "b</r>")) << doc.ParseError().reason;
    EXPECT_EQ(doc.DocumentElement().Text(), "axb");
    EXPECT_EQ(doc.DocumentElement().ChildNodes().Item(1).Text(), "x");
}

TEST(Xml, AttributesInOneWalk) {
    XmlDocument doc;
    ASSERT_TRUE(doc.LoadXML("<r a='1' b='2' c='3'><x/></r>"));
    XmlNodeList list = doc.DocumentElement().Attributes();
    ASSERT_EQ(list.Length(), 3);
    EXPECT_EQ(list.Item(1).NodeName(), "b");
    EXPECT_EQ(list.Item(2).Text(), "3");
    EXPECT_EQ(list.Item(0), doc.DocumentElement().Attribute(0));
    EXPECT_EQ(doc.DocumentElement().FirstChild().Attributes().Length(), 0);
}

TEST(Xml, CreateAndAppendElements) {
    XmlDocument doc;
    ASSERT_TRUE(
        doc.LoadXML("<?xml version=\"1.0\" encoding=\"GB2312\"?>"
                    "<MT_User CompanyID=\"\" ProgID=\"\"/>"));
    XmlNode root = doc.DocumentElement();
    XmlNode comps = root.AppendElement("Components");
    XmlNode comp = doc.CreateElement("Component");
    comp.SetAttribute("ID", "edTH003");
    XmlNode placed = comps.AppendChild(comp);
    EXPECT_EQ(placed, comp);  // the handle now names the node in the tree
    comp.AppendElement("Visible").SetText("N");
    EXPECT_EQ(doc.Xml(),
              "<?xml version=\"1.0\" encoding=\"GB2312\"?><MT_User CompanyID=\"\" ProgID=\"\">"
              "<Components><Component ID=\"edTH003\"><Visible>N</Visible></Component>"
              "</Components></MT_User>");
    // Moving within the tree; an element into its own descendant is refused.
    XmlNode other = root.AppendElement("gdBody1");
    other.AppendChild(comp);
    EXPECT_FALSE(comps.HasChildNodes());
    EXPECT_EQ(root.SelectSingleNode("gdBody1/Component/Visible").Text(), "N");
    EXPECT_THROW(comp.AppendChild(other), EXmlError);
    EXPECT_THROW(doc.DocumentNode().AppendElement("Second"), EXmlError);
    XmlNode attr = root.AttributeNode("ProgID");
    EXPECT_THROW(root.AppendChild(attr), EXmlError);
    EXPECT_THROW(doc.CreateElement(""), EXmlError);

    // Nodes keep their tree alive after the document loads something else.
    ASSERT_TRUE(doc.LoadXML("<other/>"));
    EXPECT_EQ(comp.SelectSingleNode("Visible").Text(), "N");
    EXPECT_EQ(doc.DocumentElement().NodeName(), "other");
    EXPECT_EQ(comp.OwnerDocument().DocumentElement().NodeName(), "MT_User");
}

TEST(Xml, SaveFailsLoudly) {
    XmlDocument doc;
    ASSERT_TRUE(doc.LoadXML("<a>x</a>"));
    EXPECT_THROW(doc.Save(tempFile("no/such/folder/a.xml")), EXmlError);
    std::string file = tempFile("plain.xml");
    doc.Save(file);
    EXPECT_EQ(readBytes(file), "<a>x</a>");
    std::filesystem::remove(file);
}

TEST(XPath, QuotedValuesCannotBreakAPath) {
    const std::string values[] = {"plain",        "it's", "say \"hi\"", "both ' and \"", "'",
                                  "x' or '1'='1", ""};
    XmlDocument doc;
    XmlNode root = doc.DocumentNode().AppendElement("Components");
    for (const std::string& v : values) root.AppendElement("Component").SetAttribute("ID", v);
    root.AppendElement("Component").SetAttribute("ID", "decoy");
    for (const std::string& v : values) {
        SCOPED_TRACE(v);
        std::string path = XPathAttributeStep("Component", "ID", v);
        XmlNodeList found = root.SelectNodes(path);
        ASSERT_EQ(found.Length(), 1) << path;
        EXPECT_EQ(found.Item(0).GetAttribute("ID"), v);
    }
    EXPECT_EQ(XPathLiteral("a'b\"c"), "concat('a', \"'\", 'b\"c')");
    EXPECT_EQ(XPathAttributeStep("Component", "ID", "edTH003"), "Component[@ID='edTH003']");
    EXPECT_EQ(XPathChildStep("*", "Required", "-1"), "*[Required='-1']");
}
