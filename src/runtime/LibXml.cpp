#include "runtime/LibXml.h"

#include <exception>

#include "platform/core/text.h"

namespace ktrb {

plat::XmlDocument CreateXmlDocument() {
    return plat::XmlDocument();
}

plat::XmlDocument LoadXmlDocument(const std::string& xml) {
    plat::XmlDocument doc = CreateXmlDocument();
    doc.LoadXML(xml);
    return doc;
}

std::string ReadXmlValue(const std::string& xml, const std::string& path,
                         const std::string& attribute, const std::string& def) {
    try {
        plat::XmlDocument doc = LoadXmlDocument(xml);
        plat::XmlNode root = doc.DocumentElement();
        if (!root) return def;
        std::string full = plat::Trim(attribute).empty() ? path : path + "/@" + attribute;
        plat::XmlNode node = root.SelectSingleNode(full);
        return node ? node.Text() : def;
    } catch (const std::exception&) {
        return def;
    }
}

bool IsXmlName(std::string_view name) {
    if (name.empty()) return false;
    auto letter = [](unsigned char c) {
        return c >= 0x80 || c == '_' || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z');
    };
    if (!letter((unsigned char)name[0])) return false;
    for (unsigned char c : name)
        if (!letter(c) && !(c >= '0' && c <= '9') && c != '-' && c != '.') return false;
    return true;
}

}  // namespace ktrb
