// One user's settings of one document form: an XML document (root MT_User)
// that the host keeps and the form applies to itself while it is prepared:
// controls moved between panels and pages, hidden, renamed, grid columns
// relabelled, hidden and reordered, required fields, combo items and default
// values.
//
//   <MT_User CompanyID="" ProgID="">
//     <Components>
//       <Component ID="edTH003"><Visible>N</Visible><Parent>Header</Parent></Component>
//     </Components>
//     <gdBody1><Field
//     ID="TI004"><DisplayLabel>品号</DisplayLabel><Index>2</Index></Field></gdBody1>
//   </MT_User>
//
// Reading only; a missing Components element is added. A setting that cannot
// be applied (no such property, a value of the wrong kind, a panel the form
// lacks) is skipped with a line in the "MT_Doc" alert log, and a text that
// does not parse leaves the empty document, so that the form still opens.
#pragma once
#include <string>

#include "platform/component/component.h"
#include "platform/xml/xmldocument.h"

namespace ktrb {

class TCodeConverter;

inline constexpr const char* kSettingsLog = "MT_Doc";
// What the property readers answer for a missing element: two NUL characters.
inline const std::string kNoSetting(2, '\0');

// False for "N", "NO", "F", "FALSE" and "0" (the whole text, any case); true
// for every other text, the empty one included.
bool SettingIsTrue(const std::string& value);

class TMT_Doc {
  public:
    // The empty settings document.
    TMT_Doc();
    // The empty document, then the text.
    explicit TMT_Doc(const std::string& xml);

    // Replaces the whole content.
    void LoadXML(const std::string& text);
    void GetComponentsNode();
    // The first child at the path (relative to the node); with create, a new
    // element of that name is appended when there is none. Raises
    // plat::EXmlError for an invalid path.
    plat::XmlNode GetChildNode(const plat::XmlNode& node, const std::string& name, bool create);
    // The first name[@ID='id'] child; with create one is appended.
    plat::XmlNode GetChildByID(const plat::XmlNode& node, const std::string& name,
                               const std::string& id, bool create);

    // Components/Component[@ID=component]/property, or kNoSetting.
    std::string GetComponentProperty(const std::string& component, const std::string& property);
    // <grid>/Field[@ID=field]/property, or kNoSetting.
    std::string GetFieldProperty(const std::string& grid, const std::string& field,
                                 const std::string& property);
    // The last five characters of the ID of each node at the path (relative
    // to the root), joined by ",": "Components/*[Required='-1']" gives the
    // field names of the required controls.
    std::string GetComponentIDs(const std::string& path);

    void ApplyToForm(plat::TComponent* form);
    void ApplyGridColumns(plat::TComponent* grid);
    // Default texts of the visible data-aware combo boxes of the grid library.
    void ApplyDefaultValues(plat::TComponent* form);
    // Default texts of the grid's user-defined combo columns, into the fields.
    void ApplyUDFComboDefaults(plat::TComponent* grid);
    // One setting: the property written by its kind, then the rules of the
    // names Parent, DCVisible, DisplayLabel and Items.
    void ApplyProperty(plat::TObject* object, const std::string& name, const std::string& value);

    plat::XmlDocument Document;
    plat::XmlNode RootNode;
    plat::XmlNode ComponentsNode;
    // Set by the creator; converts texts of the document for display.
    TCodeConverter* Converter = nullptr;

  private:
    std::string display(const std::string& text) const;
    plat::TObject* findTarget(plat::TComponent* form, const plat::XmlNode& componentNode) const;
    bool applyByKind(plat::TObject* object, const std::string& name, const std::string& value);
    bool applyParent(plat::TComponent* control, const std::string& value);
};

}  // namespace ktrb
