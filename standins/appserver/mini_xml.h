// A small XML reader and writer for the few XML texts the server keeps (the
// colour-manager rules and the per-user settings): elements, attributes,
// text and the five named entities plus numeric character references.
#pragma once
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/core/exceptions.h"

namespace standin {

class XmlError : public plat::Exception {
  public:
    using plat::Exception::Exception;
    const char* ClassName() const override { return "XmlError"; }
};

struct XmlElement {
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes;
    std::vector<std::unique_ptr<XmlElement>> children;
    std::string text;  // the element's own character data, entities resolved

    // Empty text when the attribute is missing.
    std::string Attribute(const std::string& attr) const;
    const XmlElement* Child(const std::string& childName) const;
    std::vector<const XmlElement*> Children(const std::string& childName) const;
};

// Parses a document; raises XmlError with the offset on malformed input.
std::unique_ptr<XmlElement> ParseXml(const std::string& text);

std::string XmlEscape(const std::string& text);

}  // namespace standin
