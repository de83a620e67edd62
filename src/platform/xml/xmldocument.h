// XML documents in the manner of the platform's DOM, over pugixml:
// documents load from a file or a text and report a parse error with its
// reason; nodes are selected by XPath 1.0 paths; elements and attributes are
// read, written, created and appended.
//
// Documents and nodes are handles. Copies of an XmlDocument share one
// document; a node keeps the tree it came from alive, also after its
// document has loaded another content. There is no validation against a DTD
// or schema (validate-on-parse is off).
//
// Text is UTF-8. A file declaring GB2312/GBK or Big5 (or ISO-8859-1) is
// converted on loading and written back in its declared encoding; characters
// that encoding lacks are written as character references.
#pragma once
#include <memory>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/exceptions.h"

namespace plat {

// Raised for a failing DOM call (invalid path, impossible append, save).
class EXmlError : public EOleError {
  public:
    using EOleError::EOleError;
    const char* ClassName() const override { return "EXmlError"; }
};

// Node types, numbered as in the DOM.
enum class XmlNodeType {
    Invalid = 0,
    Element = 1,
    Attribute = 2,
    Text = 3,
    CData = 4,
    ProcessingInstruction = 7,  // the XML declaration too
    Comment = 8,
    Document = 9,
    DocumentType = 10,
};

// Parse error codes; 0 is success.
enum class XmlErrorCode {
    None = 0,
    FileNotFound = 1,
    IoError = 2,
    Syntax = 3,  // not well-formed; the reason tells what
    NoDocumentElement = 4,
    BadEncoding = 5,  // bytes that are not text in the declared encoding
    UnsupportedEncoding = 6,
};

struct XmlParseError {
    XmlErrorCode errorCode = XmlErrorCode::None;
    std::string reason;  // English text with the position, e.g. "... at line 3, column 7"
    int line = 0;        // 1-based; 0 when not known
    int linePos = 0;
    long filePos = -1;  // byte offset in the parsed text
};

namespace xmldetail {
struct Tree;
struct State;
}  // namespace xmldetail

class XmlDocument;
class XmlNodeList;

class XmlNode {
  public:
    XmlNode() = default;

    bool IsNull() const { return !node_ && !attr_; }
    explicit operator bool() const { return !IsNull(); }
    bool operator==(const XmlNode& o) const { return node_ == o.node_ && attr_ == o.attr_; }

    XmlNodeType NodeType() const;
    // Element and attribute names; "#text", "#cdata-section", "#comment",
    // "#document"; the target of a processing instruction ("xml" for the
    // declaration).
    std::string NodeName() const;
    // An element's (or the document's) text is the text of all its
    // descendants, trimmed of white space at both ends; other nodes give
    // their value.
    std::string Text() const;
    // An element's content becomes the text alone; other nodes take the value.
    void SetText(const std::string& text);

    XmlNode ParentNode() const;
    XmlNodeList ChildNodes() const;  // attributes are not children
    XmlNode FirstChild() const;
    bool HasChildNodes() const;
    XmlDocument OwnerDocument() const;

    // XPath 1.0, relative to this node. An invalid path raises EXmlError.
    // SelectSingleNode gives the first match in document order, or a null node.
    XmlNode SelectSingleNode(const std::string& path) const;
    XmlNodeList SelectNodes(const std::string& path) const;

    // Attributes of an element, by position (from 0) and by name.
    int AttributeCount() const;
    XmlNode Attribute(int index) const;  // null when out of range
    XmlNodeList Attributes() const;      // all of them, in order, in one walk
    XmlNode AttributeNode(const std::string& name) const;
    bool HasAttribute(const std::string& name) const;
    std::string GetAttribute(const std::string& name, const std::string& def = "") const;
    void SetAttribute(const std::string& name, const std::string& value);  // elements only

    // Appends a node as the last child and answers the node in its new place.
    // A node of this tree is moved; a node made by CreateElement (or of
    // another document) is copied in, and `child` is pointed at the appended
    // node. Raises EXmlError when the append is impossible.
    XmlNode AppendChild(XmlNode& child);
    XmlNode AppendChild(XmlNode&& child);
    // Creates an element and appends it.
    XmlNode AppendElement(const std::string& name);

  private:
    friend class XmlDocument;
    friend class XmlNodeList;
    XmlNode(std::shared_ptr<xmldetail::Tree> tree, pugi::xml_node node, pugi::xml_attribute attr)
        : tree_(std::move(tree)), node_(node), attr_(attr) {}
    pugi::xpath_node xpathNode() const;
    void requireElement(const char* what) const;
    void checkCanTake(int childType) const;

    std::shared_ptr<xmldetail::Tree> tree_;
    pugi::xml_node node_;       // the node, or the attribute's parent
    pugi::xml_attribute attr_;  // set for an attribute node
};

class XmlNodeList {
  public:
    int Length() const { return int(nodes_.size()); }
    XmlNode Item(int index) const;  // null when out of range
    std::vector<XmlNode>::const_iterator begin() const { return nodes_.begin(); }
    std::vector<XmlNode>::const_iterator end() const { return nodes_.end(); }

  private:
    friend class XmlNode;
    std::vector<XmlNode> nodes_;
};

class XmlDocument {
  public:
    XmlDocument();

    // Each load replaces the content; on failure the document is empty and
    // ParseError tells why. The text of LoadXML is UTF-8 whatever its
    // declaration says; Load and LoadBytes decode by byte-order mark or
    // declared encoding.
    bool LoadXML(const std::string& text);
    bool Load(const std::string& fileName);
    bool LoadBytes(std::string_view bytes);
    const XmlParseError& ParseError() const;

    XmlNode DocumentElement() const;  // null when there is none
    XmlNode DocumentNode() const;     // the document itself
    XmlNode SelectSingleNode(const std::string& path) const;
    XmlNodeList SelectNodes(const std::string& path) const;

    // A new element not yet in the tree; append it with AppendChild.
    XmlNode CreateElement(const std::string& name);

    // The document as UTF-8 text, declaration included when it has one.
    std::string Xml() const;
    // Writes the document in its declared encoding (UTF-8 without one),
    // atomically. Raises EXmlError when it cannot be written.
    void Save(const std::string& fileName) const;

  private:
    friend class XmlNode;
    explicit XmlDocument(std::shared_ptr<xmldetail::State> state) : state_(std::move(state)) {}
    std::shared_ptr<xmldetail::State> state_;
};

}  // namespace plat
