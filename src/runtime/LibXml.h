// XML helpers of the forms and data modules: a document from text, one value
// read out of an XML text by path, and the check that keeps a caller's name
// from changing the meaning of a path built from it.
#pragma once
#include <string>
#include <string_view>

#include "platform/xml/xmldocument.h"

namespace ktrb {

// An empty document (no validation on parse).
plat::XmlDocument CreateXmlDocument();
// A document holding the parsed text; when the text does not parse the
// document is empty (no document element) and ParseError tells why.
plat::XmlDocument LoadXmlDocument(const std::string& xml);
// The text of the first node at `path` (relative to the document element),
// or of its attribute `attribute` when that is not blank; `def` when the
// text does not parse, the path is invalid or nothing matches.
std::string ReadXmlValue(const std::string& xml, const std::string& path,
                         const std::string& attribute, const std::string& def);

// True for a name that can stand as an element or attribute name in a path
// ("btnOK", "sCompany", "gdBody1"): a letter or "_" first, then letters,
// digits, "_", "-" and "."; characters beyond ASCII count as letters.
bool IsXmlName(std::string_view name);

}  // namespace ktrb
