#include "platform/xml/xmldocument.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <sstream>
#include <unordered_map>

#include "platform/core/text.h"

namespace plat {

namespace xmldetail {

// The parsed tree, plus a second document that holds elements created but
// not yet appended (pugixml has no free-standing nodes).
struct Tree {
    pugi::xml_document doc;
    pugi::xml_document scratch;
};

struct State {
    std::shared_ptr<Tree> tree = std::make_shared<Tree>();
    XmlParseError error;
};

}  // namespace xmldetail

using xmldetail::State;
using xmldetail::Tree;

namespace {

constexpr unsigned kParseOptions = pugi::parse_full;
constexpr unsigned kFormat = pugi::format_raw | pugi::format_no_declaration;

// Declared encodings and how they are read.
enum class Charset { Utf8, Utf16, Latin1, Ascii, Gbk, Big5, Unsupported };

struct CharsetName {
    const char* name;
    Charset charset;
};

const CharsetName kCharsets[] = {
    {"UTF-8", Charset::Utf8},        {"UTF8", Charset::Utf8},       {"UTF-16", Charset::Utf16},
    {"UTF-16LE", Charset::Utf16},    {"UTF-16BE", Charset::Utf16},  {"UNICODE", Charset::Utf16},
    {"ISO-8859-1", Charset::Latin1}, {"LATIN1", Charset::Latin1},   {"US-ASCII", Charset::Ascii},
    {"ASCII", Charset::Ascii},       {"GB2312", Charset::Gbk},      {"GBK", Charset::Gbk},
    {"CP936", Charset::Gbk},         {"WINDOWS-936", Charset::Gbk}, {"X-GBK", Charset::Gbk},
    {"GB_2312-80", Charset::Gbk},    {"BIG5", Charset::Big5},       {"BIG-5", Charset::Big5},
    {"CP950", Charset::Big5},        {"X-BIG5", Charset::Big5},
};

Charset charsetOf(const std::string& name) {
    if (name.empty()) return Charset::Utf8;
    for (const CharsetName& c : kCharsets)
        if (SameText(name, c.name)) return c.charset;
    return Charset::Unsupported;
}

// The encoding named by a leading "<?xml ... encoding='x' ?>", or "".
std::string declaredEncoding(std::string_view text) {
    if (text.substr(0, 5) != "<?xml") return {};
    std::string_view decl = text.substr(0, text.find("?>"));
    size_t p = decl.find("encoding");
    if (p == std::string_view::npos) return {};
    p = decl.find_first_of("\"'", p);
    if (p == std::string_view::npos) return {};
    size_t e = decl.find(decl[p], p + 1);
    if (e == std::string_view::npos) return {};
    return std::string(decl.substr(p + 1, e - p - 1));
}

std::string declaredEncoding(const pugi::xml_document& doc) {
    for (pugi::xml_node n = doc.first_child(); n; n = n.next_sibling())
        if (n.type() == pugi::node_declaration) return n.attribute("encoding").value();
    return {};
}

void locate(std::string_view text, long offset, XmlParseError& err) {
    err.filePos = offset;
    err.line = 1;
    size_t lineStart = 0;
    for (size_t i = 0; i < size_t(offset) && i < text.size(); ++i)
        if (text[i] == '\n') {
            ++err.line;
            lineStart = i + 1;
        }
    // Columns count characters, not UTF-8 bytes.
    int col = 1;
    for (size_t i = lineStart; i < size_t(offset) && i < text.size(); ++i)
        if (((unsigned char)text[i] & 0xC0) != 0x80) ++col;
    err.linePos = col;
}

XmlErrorCode codeOf(pugi::xml_parse_status s) {
    switch (s) {
        case pugi::status_ok:
            return XmlErrorCode::None;
        case pugi::status_file_not_found:
            return XmlErrorCode::FileNotFound;
        case pugi::status_io_error:
            return XmlErrorCode::IoError;
        case pugi::status_no_document_element:
            return XmlErrorCode::NoDocumentElement;
        default:
            return XmlErrorCode::Syntax;
    }
}

// Compiled paths are kept per thread; the same few paths run over and over.
const pugi::xpath_query& compiled(const std::string& path) {
    thread_local std::unordered_map<std::string, std::unique_ptr<pugi::xpath_query>> cache;
    auto it = cache.find(path);
    if (it != cache.end()) return *it->second;
    if (cache.size() >= 256) cache.clear();
    try {
        auto q = std::make_unique<pugi::xpath_query>(path.c_str());
        return *cache.emplace(path, std::move(q)).first->second;
    } catch (const pugi::xpath_exception& e) {
        throw EXmlError("Invalid path '" + path + "': " + e.what());
    }
}

// Walks the subtree in document order without recursion: a hostile file may
// nest elements as deep as its size allows.
void appendText(pugi::xml_node root, std::string& out) {
    pugi::xml_node c = root.first_child();
    while (c) {
        if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata)
            out += c.value();
        else if (c.type() == pugi::node_element && c.first_child()) {
            c = c.first_child();
            continue;
        }
        while (!c.next_sibling()) {
            c = c.parent();
            if (c == root) return;
        }
        c = c.next_sibling();
    }
}

std::string trimXmlSpace(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r\n"), e = s.find_last_not_of(" \t\r\n");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

// Encodes UTF-8 in a single-byte-per-ASCII charset; a character the charset
// lacks becomes a character reference, so nothing is lost.
std::string encodeWithReferences(const std::string& utf8, Charset cs) {
    auto encodeOne = [cs](std::string_view ch, uint32_t cp, std::string& out) -> bool {
        if (cs == Charset::Ascii) {
            if (cp > 0x7F) return false;
            out += char(cp);
        } else if (cs == Charset::Latin1) {
            if (cp > 0xFF) return false;
            out += char(cp);
        } else {
            ConvertedText t =
                ToCodePageReplacing(ch, cs == Charset::Gbk ? CodePage::Gbk : CodePage::Big5);
            if (t.replaced) return false;
            out += t.text;
        }
        return true;
    };
    if (cs == Charset::Gbk || cs == Charset::Big5) {
        ConvertedText whole =
            ToCodePageReplacing(utf8, cs == Charset::Gbk ? CodePage::Gbk : CodePage::Big5);
        if (!whole.replaced) return whole.text;
    }
    std::string out;
    size_t i = 0;
    while (i < utf8.size()) {
        unsigned char c = (unsigned char)utf8[i];
        size_t len = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
        uint32_t cp = len == 1 ? c : (c & (0xFF >> (len + 1)));
        for (size_t k = 1; k < len && i + k < utf8.size(); ++k)
            cp = (cp << 6) | ((unsigned char)utf8[i + k] & 0x3F);
        std::string_view ch(utf8.data() + i, std::min(len, utf8.size() - i));
        if (c < 0x80) {
            out += char(c);
        } else if (!encodeOne(ch, cp, out)) {
            char buf[16];
            std::snprintf(buf, sizeof buf, "&#x%X;", cp);
            out += buf;
        }
        i += len;
    }
    return out;
}

void writeAtomically(const std::string& name, const std::string& bytes) {
    static std::atomic<unsigned> counter{0};
    // Through a link, replace its target and keep the link.
    char resolved[PATH_MAX];
    struct stat lst;
    std::string fileName = (::lstat(name.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode) &&
                            ::realpath(name.c_str(), resolved))
                               ? std::string(resolved)
                               : name;
    std::string temp =
        fileName + "." + std::to_string(::getpid()) + "." + std::to_string(counter++) + ".tmp";
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) throw EXmlError("Cannot save " + fileName + ": " + std::strerror(errno));
    struct stat st;
    bool ok = ::stat(fileName.c_str(), &st) != 0 || ::fchmod(fd, st.st_mode & 07777) == 0;
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (ok && left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) {
            p += n;
            left -= size_t(n);
        }
    }
    ok = ok && ::fsync(fd) == 0;
    int saved = errno;
    ok = ::close(fd) == 0 && ok;
    if (ok && ::rename(temp.c_str(), fileName.c_str()) == 0) return;
    if (ok) saved = errno;
    ::unlink(temp.c_str());
    throw EXmlError("Cannot save " + fileName + ": " + std::strerror(saved));
}

}  // namespace

// ---------------------------------------------------------------- XmlNode

XmlNodeType XmlNode::NodeType() const {
    if (attr_) return XmlNodeType::Attribute;
    switch (node_.type()) {
        case pugi::node_element:
            return XmlNodeType::Element;
        case pugi::node_pcdata:
            return XmlNodeType::Text;
        case pugi::node_cdata:
            return XmlNodeType::CData;
        case pugi::node_pi:
        case pugi::node_declaration:
            return XmlNodeType::ProcessingInstruction;
        case pugi::node_comment:
            return XmlNodeType::Comment;
        case pugi::node_document:
            return XmlNodeType::Document;
        case pugi::node_doctype:
            return XmlNodeType::DocumentType;
        default:
            return XmlNodeType::Invalid;
    }
}

std::string XmlNode::NodeName() const {
    if (attr_) return attr_.name();
    switch (node_.type()) {
        case pugi::node_pcdata:
            return "#text";
        case pugi::node_cdata:
            return "#cdata-section";
        case pugi::node_comment:
            return "#comment";
        case pugi::node_document:
            return "#document";
        case pugi::node_doctype:
            return "#doctype";
        default:
            return node_.name();
    }
}

std::string XmlNode::Text() const {
    if (attr_) return attr_.value();
    if (node_.type() == pugi::node_element || node_.type() == pugi::node_document) {
        std::string out;
        appendText(node_, out);
        return trimXmlSpace(out);
    }
    return node_.value();
}

void XmlNode::SetText(const std::string& text) {
    if (attr_) {
        attr_.set_value(text.c_str());
        return;
    }
    if (IsNull()) throw EXmlError("SetText on a null node");
    if (node_.type() == pugi::node_element) {
        while (node_.first_child()) node_.remove_child(node_.first_child());
        if (!text.empty()) node_.append_child(pugi::node_pcdata).set_value(text.c_str());
        return;
    }
    if (!node_.set_value(text.c_str())) throw EXmlError("This node has no text to set");
}

XmlNode XmlNode::ParentNode() const {
    if (attr_) return {};  // as in the DOM, an attribute has no parent
    return XmlNode(tree_, node_.parent(), {});
}

XmlNodeList XmlNode::ChildNodes() const {
    XmlNodeList list;
    if (attr_) return list;
    for (pugi::xml_node c = node_.first_child(); c; c = c.next_sibling())
        list.nodes_.push_back(XmlNode(tree_, c, {}));
    return list;
}

XmlNode XmlNode::FirstChild() const {
    if (attr_ || !node_.first_child()) return {};
    return XmlNode(tree_, node_.first_child(), {});
}

bool XmlNode::HasChildNodes() const {
    return !attr_ && node_.first_child();
}

XmlDocument XmlNode::OwnerDocument() const {
    auto state = std::make_shared<State>();
    if (tree_) state->tree = tree_;
    return XmlDocument(state);
}

pugi::xpath_node XmlNode::xpathNode() const {
    return attr_ ? pugi::xpath_node(attr_, node_) : pugi::xpath_node(node_);
}

XmlNode XmlNode::SelectSingleNode(const std::string& path) const {
    const pugi::xpath_query& q = compiled(path);
    if (IsNull()) return {};
    if (q.return_type() != pugi::xpath_type_node_set)
        throw EXmlError("The path '" + path + "' does not select nodes");
    pugi::xpath_node n = q.evaluate_node_set(xpathNode()).first();
    if (!n) return {};
    return XmlNode(tree_, n.attribute() ? n.parent() : n.node(), n.attribute());
}

XmlNodeList XmlNode::SelectNodes(const std::string& path) const {
    const pugi::xpath_query& q = compiled(path);
    XmlNodeList list;
    if (IsNull()) return list;
    if (q.return_type() != pugi::xpath_type_node_set)
        throw EXmlError("The path '" + path + "' does not select nodes");
    pugi::xpath_node_set set = q.evaluate_node_set(xpathNode());
    set.sort();
    list.nodes_.reserve(set.size());
    for (const pugi::xpath_node& n : set)
        list.nodes_.push_back(XmlNode(tree_, n.attribute() ? n.parent() : n.node(), n.attribute()));
    return list;
}

int XmlNode::AttributeCount() const {
    if (attr_ || node_.type() != pugi::node_element) return 0;
    int count = 0;
    for (pugi::xml_attribute a = node_.first_attribute(); a; a = a.next_attribute()) ++count;
    return count;
}

XmlNode XmlNode::Attribute(int index) const {
    if (attr_ || index < 0) return {};
    pugi::xml_attribute a = node_.first_attribute();
    for (int i = 0; a && i < index; ++i) a = a.next_attribute();
    return a ? XmlNode(tree_, node_, a) : XmlNode();
}

XmlNodeList XmlNode::Attributes() const {
    XmlNodeList list;
    if (attr_ || node_.type() != pugi::node_element) return list;
    list.nodes_.reserve(size_t(AttributeCount()));
    for (pugi::xml_attribute a = node_.first_attribute(); a; a = a.next_attribute())
        list.nodes_.push_back(XmlNode(tree_, node_, a));
    return list;
}

XmlNode XmlNode::AttributeNode(const std::string& name) const {
    if (attr_) return {};
    pugi::xml_attribute a = node_.attribute(name.c_str());
    return a ? XmlNode(tree_, node_, a) : XmlNode();
}

bool XmlNode::HasAttribute(const std::string& name) const {
    return !attr_ && node_.attribute(name.c_str());
}

std::string XmlNode::GetAttribute(const std::string& name, const std::string& def) const {
    if (attr_) return def;
    pugi::xml_attribute a = node_.attribute(name.c_str());
    return a ? std::string(a.value()) : def;
}

void XmlNode::requireElement(const char* what) const {
    if (attr_ || node_.type() != pugi::node_element)
        throw EXmlError(std::string(what) + " needs an element");
}

void XmlNode::SetAttribute(const std::string& name, const std::string& value) {
    requireElement("SetAttribute");
    if (name.empty()) throw EXmlError("An attribute needs a name");
    pugi::xml_attribute a = node_.attribute(name.c_str());
    if (!a) a = node_.append_attribute(name.c_str());
    a.set_value(value.c_str());
}

void XmlNode::checkCanTake(int childType) const {
    if (IsNull()) throw EXmlError("A null node takes no children");
    if (attr_) throw EXmlError("An attribute takes no children");
    if (node_.type() != pugi::node_element && node_.type() != pugi::node_document)
        throw EXmlError("Only elements and documents take children");
    if (node_.type() == pugi::node_document && childType == pugi::node_element &&
        node_.find_child([](pugi::xml_node n) { return n.type() == pugi::node_element; }))
        throw EXmlError("The document already has a document element");
}

XmlNode XmlNode::AppendChild(XmlNode& child) {
    if (child.IsNull() || child.attr_)
        throw EXmlError("Only nodes other than attributes can be appended");
    checkCanTake(child.node_.type());
    pugi::xml_node placed;
    if (child.tree_ == tree_ && child.node_.root() == tree_->doc)
        placed = node_.append_move(child.node_);  // fails for an ancestor of this node
    else
        placed = node_.append_copy(child.node_);
    if (!placed) throw EXmlError("The node cannot be appended here");
    child = XmlNode(tree_, placed, {});
    return child;
}

XmlNode XmlNode::AppendChild(XmlNode&& child) {
    XmlNode c = std::move(child);
    return AppendChild(c);
}

XmlNode XmlNode::AppendElement(const std::string& name) {
    if (name.empty()) throw EXmlError("An element needs a name");
    checkCanTake(pugi::node_element);
    return XmlNode(tree_, node_.append_child(name.c_str()), {});
}

// ------------------------------------------------------------ XmlNodeList

XmlNode XmlNodeList::Item(int index) const {
    return index >= 0 && index < Length() ? nodes_[size_t(index)] : XmlNode();
}

// ------------------------------------------------------------ XmlDocument

XmlDocument::XmlDocument() : state_(std::make_shared<State>()) {}

const XmlParseError& XmlDocument::ParseError() const {
    return state_->error;
}

bool XmlDocument::LoadXML(const std::string& text) {
    // A fresh tree, so nodes of the old content stay valid where they are held.
    auto tree = std::make_shared<Tree>();
    state_->error = {};
    if (!IsValidUtf8(text)) {
        // The parser would pass such bytes through into the values.
        state_->tree = tree;
        state_->error.errorCode = XmlErrorCode::BadEncoding;
        state_->error.reason =
            "The text is not valid UTF-8; a file in another encoding "
            "must declare it";
        return false;
    }
    pugi::xml_parse_result r =
        tree->doc.load_buffer(text.data(), text.size(), kParseOptions, pugi::encoding_utf8);
    if (!r) {
        tree->doc.reset();
        state_->error.errorCode = codeOf(r.status);
        locate(text, long(r.offset), state_->error);
        state_->error.reason = std::string(r.description()) + " at line " +
                               std::to_string(state_->error.line) + ", column " +
                               std::to_string(state_->error.linePos);
    }
    state_->tree = tree;
    return bool(r);
}

bool XmlDocument::LoadBytes(std::string_view bytes) {
    auto fail = [this](XmlErrorCode code, const std::string& reason) {
        state_->tree = std::make_shared<Tree>();
        state_->error = {};
        state_->error.errorCode = code;
        state_->error.reason = reason;
        return false;
    };
    // A UTF-8 mark says nothing the declaration may not contradict: the rest
    // is read as the same file without it.
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return LoadBytes(bytes.substr(3));
    bool bom = bytes.size() >= 2 &&
               ((unsigned char)bytes[0] == 0xFF || (unsigned char)bytes[0] == 0xFE ||
                (unsigned char)bytes[0] == 0xEF || bytes[0] == '\0' || bytes[1] == '\0');
    std::string encoding = bom ? std::string() : declaredEncoding(bytes);
    Charset cs = charsetOf(encoding);
    if (cs == Charset::Unsupported)
        return fail(XmlErrorCode::UnsupportedEncoding, "Unsupported encoding '" + encoding + "'");
    if (cs == Charset::Gbk || cs == Charset::Big5) {
        std::string text;
        try {
            text = FromCodePage(bytes, cs == Charset::Gbk ? CodePage::Gbk : CodePage::Big5);
        } catch (const EConvertError& e) {
            return fail(XmlErrorCode::BadEncoding,
                        "The text is not valid " + encoding + ": " + e.Message());
        }
        return LoadXML(text);
    }
    if (cs == Charset::Utf8 || cs == Charset::Ascii) {
        if (!bom) return LoadXML(std::string(bytes));
    }
    // Byte-order marks, UTF-16 and Latin-1: pugixml converts to UTF-8 itself.
    auto tree = std::make_shared<Tree>();
    state_->error = {};
    pugi::xml_parse_result r =
        tree->doc.load_buffer(bytes.data(), bytes.size(), kParseOptions,
                              cs == Charset::Latin1 ? pugi::encoding_latin1 : pugi::encoding_auto);
    if (!r) {
        tree->doc.reset();
        state_->error.errorCode = codeOf(r.status);
        state_->error.filePos = long(r.offset);
        state_->error.reason =
            std::string(r.description()) + " at offset " + std::to_string(r.offset);
    }
    state_->tree = tree;
    return bool(r);
}

bool XmlDocument::Load(const std::string& fileName) {
    std::string bytes;
    int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    bool ok = fd >= 0;
    int err = errno;
    if (ok) {
        char buf[65536];
        ssize_t n;
        while ((n = ::read(fd, buf, sizeof buf)) != 0) {
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                ok = false;
                err = errno;
                break;
            }
            bytes.append(buf, size_t(n));
        }
        ::close(fd);
    }
    if (!ok) {
        state_->tree = std::make_shared<Tree>();
        state_->error = {};
        state_->error.errorCode =
            err == ENOENT ? XmlErrorCode::FileNotFound : XmlErrorCode::IoError;
        state_->error.reason = "Cannot read " + fileName + ": " + std::strerror(err);
        return false;
    }
    return LoadBytes(bytes);
}

XmlNode XmlDocument::DocumentElement() const {
    pugi::xml_node e = state_->tree->doc.document_element();
    return e ? XmlNode(state_->tree, e, {}) : XmlNode();
}

XmlNode XmlDocument::DocumentNode() const {
    return XmlNode(state_->tree, state_->tree->doc, {});
}

XmlNode XmlDocument::SelectSingleNode(const std::string& path) const {
    return DocumentNode().SelectSingleNode(path);
}

XmlNodeList XmlDocument::SelectNodes(const std::string& path) const {
    return DocumentNode().SelectNodes(path);
}

XmlNode XmlDocument::CreateElement(const std::string& name) {
    if (name.empty()) throw EXmlError("An element needs a name");
    pugi::xml_node e = state_->tree->scratch.append_child(name.c_str());
    return XmlNode(state_->tree, e, {});
}

std::string XmlDocument::Xml() const {
    std::ostringstream out;
    state_->tree->doc.save(out, "", kFormat, pugi::encoding_utf8);
    return out.str();
}

void XmlDocument::Save(const std::string& fileName) const {
    std::string encoding = declaredEncoding(state_->tree->doc);
    Charset cs = charsetOf(encoding);
    std::string bytes;
    switch (cs) {
        case Charset::Unsupported:
            throw EXmlError("Cannot save in encoding '" + encoding + "'");
        case Charset::Utf16: {
            std::ostringstream out;
            state_->tree->doc.save(out, "", kFormat | pugi::format_write_bom,
                                   pugi::encoding_utf16_le);
            bytes = out.str();
            break;
        }
        case Charset::Utf8:
            bytes = Xml();
            break;
        default:
            bytes = encodeWithReferences(Xml(), cs);
            break;
    }
    writeAtomically(fileName, bytes);
}

}  // namespace plat
