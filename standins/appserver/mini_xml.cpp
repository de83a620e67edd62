#include "standins/appserver/mini_xml.h"

#include <cctype>

namespace standin {

std::string XmlElement::Attribute(const std::string& attr) const {
    for (auto& a : attributes)
        if (a.first == attr) return a.second;
    return "";
}

const XmlElement* XmlElement::Child(const std::string& childName) const {
    for (auto& c : children)
        if (c->name == childName) return c.get();
    return nullptr;
}

std::vector<const XmlElement*> XmlElement::Children(const std::string& childName) const {
    std::vector<const XmlElement*> out;
    for (auto& c : children)
        if (c->name == childName) out.push_back(c.get());
    return out;
}

namespace {

void AppendUtf8(std::string& out, unsigned long cp) {
    if (cp < 0x80) {
        out += (char)cp;
    } else if (cp < 0x800) {
        out += (char)(0xC0 | (cp >> 6));
        out += (char)(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += (char)(0xE0 | (cp >> 12));
        out += (char)(0x80 | ((cp >> 6) & 0x3F));
        out += (char)(0x80 | (cp & 0x3F));
    } else {
        out += (char)(0xF0 | (cp >> 18));
        out += (char)(0x80 | ((cp >> 12) & 0x3F));
        out += (char)(0x80 | ((cp >> 6) & 0x3F));
        out += (char)(0x80 | (cp & 0x3F));
    }
}

class Parser {
  public:
    explicit Parser(const std::string& s) : s_(s) {}

    std::unique_ptr<XmlElement> Document() {
        SkipMisc();
        if (!Peek('<')) Fail("no root element");
        auto root = Element(0);
        SkipMisc();
        if (pos_ != s_.size()) Fail("text after the root element");
        return root;
    }

  private:
    const std::string& s_;
    size_t pos_ = 0;

    [[noreturn]] void Fail(const std::string& why) const {
        throw XmlError("Malformed XML at offset " + std::to_string(pos_) + ": " + why);
    }
    bool Peek(char c) const { return pos_ < s_.size() && s_[pos_] == c; }
    bool StartsWith(const char* t) const {
        return s_.compare(pos_, std::char_traits<char>::length(t), t) == 0;
    }
    void SkipSpace() {
        while (pos_ < s_.size() && std::isspace((unsigned char)s_[pos_])) ++pos_;
    }
    void SkipPast(const char* end) {
        size_t p = s_.find(end, pos_);
        if (p == std::string::npos) Fail(std::string("missing ") + end);
        pos_ = p + std::char_traits<char>::length(end);
    }
    // Declarations, comments, processing instructions and blanks outside elements.
    void SkipMisc() {
        for (;;) {
            SkipSpace();
            if (StartsWith("<?"))
                SkipPast("?>");
            else if (StartsWith("<!--"))
                SkipPast("-->");
            else if (StartsWith("<!DOCTYPE"))
                SkipPast(">");
            else
                return;
        }
    }
    std::string Name() {
        size_t b = pos_;
        while (pos_ < s_.size()) {
            unsigned char c = (unsigned char)s_[pos_];
            if (std::isalnum(c) || c == '_' || c == '-' || c == '.' || c == ':' || c >= 0x80)
                ++pos_;
            else
                break;
        }
        if (b == pos_) Fail("a name was expected");
        return s_.substr(b, pos_ - b);
    }
    std::string Decode(const std::string& raw) {
        std::string out;
        for (size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] != '&') {
                out += raw[i];
                continue;
            }
            size_t semi = raw.find(';', i);
            if (semi == std::string::npos) Fail("unterminated entity");
            std::string ent = raw.substr(i + 1, semi - i - 1);
            if (ent == "lt")
                out += '<';
            else if (ent == "gt")
                out += '>';
            else if (ent == "amp")
                out += '&';
            else if (ent == "quot")
                out += '"';
            else if (ent == "apos")
                out += '\'';
            else if (!ent.empty() && ent[0] == '#') {
                unsigned long cp = 0;
                try {
                    cp = (ent.size() > 1 && (ent[1] == 'x' || ent[1] == 'X'))
                             ? std::stoul(ent.substr(2), nullptr, 16)
                             : std::stoul(ent.substr(1));
                } catch (...) {
                    Fail("bad character reference &" + ent + ";");
                }
                if (cp == 0 || cp > 0x10FFFF) Fail("bad character reference &" + ent + ";");
                AppendUtf8(out, cp);
            } else {
                Fail("unknown entity &" + ent + ";");
            }
            i = semi;
        }
        return out;
    }
    std::unique_ptr<XmlElement> Element(int depth) {
        if (depth > 200) Fail("elements nested too deeply");
        ++pos_;  // '<'
        auto el = std::make_unique<XmlElement>();
        el->name = Name();
        for (;;) {
            SkipSpace();
            if (StartsWith("/>")) {
                pos_ += 2;
                return el;
            }
            if (Peek('>')) {
                ++pos_;
                break;
            }
            std::string an = Name();
            SkipSpace();
            if (!Peek('=')) Fail("'=' expected after attribute " + an);
            ++pos_;
            SkipSpace();
            if (!Peek('"') && !Peek('\'')) Fail("quoted value expected for attribute " + an);
            char q = s_[pos_++];
            size_t end = s_.find(q, pos_);
            if (end == std::string::npos) Fail("unterminated attribute " + an);
            el->attributes.emplace_back(an, Decode(s_.substr(pos_, end - pos_)));
            pos_ = end + 1;
        }
        for (;;) {
            if (pos_ >= s_.size()) Fail("element <" + el->name + "> is not closed");
            if (StartsWith("</")) {
                pos_ += 2;
                std::string closing = Name();
                if (closing != el->name) Fail("</" + closing + "> closes <" + el->name + ">");
                SkipSpace();
                if (!Peek('>')) Fail("'>' expected");
                ++pos_;
                return el;
            }
            if (StartsWith("<!--")) {
                SkipPast("-->");
            } else if (StartsWith("<![CDATA[")) {
                size_t b = pos_ + 9;
                SkipPast("]]>");
                el->text += s_.substr(b, pos_ - 3 - b);
            } else if (StartsWith("<?")) {
                SkipPast("?>");
            } else if (Peek('<')) {
                el->children.push_back(Element(depth + 1));
            } else {
                size_t end = s_.find('<', pos_);
                if (end == std::string::npos) end = s_.size();
                el->text += Decode(s_.substr(pos_, end - pos_));
                pos_ = end;
            }
        }
    }
};

}  // namespace

std::unique_ptr<XmlElement> ParseXml(const std::string& text) {
    return Parser(text).Document();
}

std::string XmlEscape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '&':
                out += "&amp;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

}  // namespace standin
