#include "runtime/MT_Doc.h"

#include <algorithm>
#include <exception>
#include <utility>
#include <vector>

#include "platform/component/properties.h"
#include "platform/core/numbers.h"
#include "platform/core/text.h"
#include "platform/data/dataset.h"
#include "platform/data/datasource.h"
#include "platform/data/field.h"
#include "platform/xml/xpath.h"
#include "runtime/CodeConverter.h"
#include "runtime/LibStrs.h"
#include "runtime/LibXml.h"
#include "runtime/PropAccess.h"

namespace ktrb {

namespace {

constexpr const char* kEmptyDocument =
    "<?xml version=\"1.0\" encoding=\"GB2312\"?><!-- 帕罗拉ERP用户设置 -->"
    "<MT_User CompanyID=\"\" ProgID=\"\"><Components /></MT_User>";

constexpr const char* kHeader = "单头";
constexpr const char* kFooter = "单尾";

// Names that carry a rule of their own rather than (only) a property.
const char* const kVocabulary[] = {"Parent", "DCVisible",   "DisplayLabel",
                                   "Items",  "Required",    "DEFAULTTEXT",
                                   "Index",  "ControlType", "DefaultText"};

bool isVocabulary(const std::string& name) {
    return std::any_of(std::begin(kVocabulary), std::end(kVocabulary),
                       [&](const char* v) { return plat::SameText(name, v); });
}

void logLine(const std::string& text) {
    WriteAlertLog(kSettingsLog, text, "D");
}

std::string describe(const plat::TObject* object, const std::string& name,
                     const std::string& value) {
    const auto* c = dynamic_cast<const plat::TComponent*>(object);
    std::string who = c && !c->Name().empty() ? c->Name() : object->ClassName();
    return who + " " + name + "=\"" + value + "\"";
}

// Element children only: white space and comments between them are no
// settings.
std::vector<plat::XmlNode> elements(const plat::XmlNode& node) {
    std::vector<plat::XmlNode> out;
    if (!node) return out;
    for (const plat::XmlNode& child : node.ChildNodes())
        if (child.NodeType() == plat::XmlNodeType::Element) out.push_back(child);
    return out;
}

plat::TDataSet* dataSetOf(plat::TObject* control) {
    const plat::TPropInfo* p = plat::GetPropInfo(control, "DataSource");
    if (!p || p->Kind() != plat::TTypeKind::tkClass || !p->getObj) return nullptr;
    auto* source = dynamic_cast<plat::TDataSource*>(p->getObj(*control));
    return source ? source->DataSet() : nullptr;
}

// The last n characters, never cutting one in two.
std::string lastChars(const std::string& s, int n) {
    size_t pos = s.size();
    while (pos > 0 && n > 0) {
        --pos;
        while (pos > 0 && ((unsigned char)s[pos] & 0xC0) == 0x80) --pos;
        --n;
    }
    return s.substr(pos);
}

void writeField(plat::TField* field, const std::string& text) {
    try {
        SetFieldText(field, text);
    } catch (const std::exception& e) {
        logLine(describe(field, "DefaultText", text) + ": " + e.what());
    }
}

}  // namespace

bool SettingIsTrue(const std::string& value) {
    std::string v = plat::UpperCase(value);
    return !(v == "N" || v == "NO" || v == "F" || v == "FALSE" || v == "0");
}

// ---- Document ---------------------------------------------------------------

TMT_Doc::TMT_Doc() {
    LoadXML(kEmptyDocument);
}

TMT_Doc::TMT_Doc(const std::string& xml) : TMT_Doc() {
    LoadXML(xml);
}

void TMT_Doc::LoadXML(const std::string& text) {
    if (!Document.LoadXML(text) || !Document.DocumentElement()) {
        logLine("Settings that do not parse are ignored: " + Document.ParseError().reason);
        Document.LoadXML(kEmptyDocument);
    }
    GetComponentsNode();
}

void TMT_Doc::GetComponentsNode() {
    RootNode = Document.DocumentElement();
    ComponentsNode = GetChildNode(RootNode, "Components", true);
}

plat::XmlNode TMT_Doc::GetChildNode(const plat::XmlNode& node, const std::string& name,
                                    bool create) {
    if (!node) return {};
    plat::XmlNode found = node.SelectSingleNode(name);
    if (found || !create) return found;
    plat::XmlNode parent = node;
    return parent.AppendElement(name);
}

plat::XmlNode TMT_Doc::GetChildByID(const plat::XmlNode& node, const std::string& name,
                                    const std::string& id, bool create) {
    if (!node) return {};
    plat::XmlNode found = node.SelectSingleNode(plat::XPathAttributeStep(name, "ID", id));
    if (found || !create) return found;
    plat::XmlNode parent = node;
    plat::XmlNode added = parent.AppendElement(name);
    added.SetAttribute("ID", id);
    return added;
}

std::string TMT_Doc::GetComponentProperty(const std::string& component,
                                          const std::string& property) {
    if (!IsXmlName(property)) return kNoSetting;
    plat::XmlNode c = GetChildByID(ComponentsNode, "Component", component, false);
    plat::XmlNode p = GetChildNode(c, property, false);
    return p ? p.Text() : kNoSetting;
}

std::string TMT_Doc::GetFieldProperty(const std::string& grid, const std::string& field,
                                      const std::string& property) {
    if (!IsXmlName(grid) || !IsXmlName(property)) return kNoSetting;
    plat::XmlNode g = GetChildNode(RootNode, grid, false);
    plat::XmlNode p = GetChildNode(GetChildByID(g, "Field", field, false), property, false);
    return p ? p.Text() : kNoSetting;
}

std::string TMT_Doc::GetComponentIDs(const std::string& path) {
    std::string ids;
    for (const plat::XmlNode& node : RootNode.SelectNodes(path)) {
        if (!ids.empty()) ids += ",";
        ids += lastChars(node.GetAttribute("ID"), 5);
    }
    return ids;
}

std::string TMT_Doc::display(const std::string& text) const {
    return Converter ? plat::VarToStr(Converter->ConvertToUI(plat::Variant(text))) : text;
}

// ---- Applying ---------------------------------------------------------------

bool TMT_Doc::applyByKind(plat::TObject* object, const std::string& name,
                          const std::string& value) {
    const plat::TPropInfo* prop = plat::GetPropInfo(object, name);
    if (!prop) {
        if (!isVocabulary(name)) logLine(describe(object, name, value) + ": no such property");
        return false;
    }
    try {
        switch (prop->Kind()) {
            case plat::TTypeKind::tkInteger:
            case plat::TTypeKind::tkInt64:
                plat::SetOrdProp(object, *prop, plat::StrToInt(plat::Trim(value)));
                return true;
            case plat::TTypeKind::tkChar:
            case plat::TTypeKind::tkString:
            case plat::TTypeKind::tkLString:
                plat::SetStrProp(object, *prop, value);
                return true;
            case plat::TTypeKind::tkEnumeration: {
                // An identifier of the enumeration names its value; anything
                // else is read by the Boolean rule.
                int64_t ident = prop->PropType == plat::BooleanType()
                                    ? -1
                                    : plat::GetEnumValue(prop->PropType, plat::Trim(value));
                plat::SetOrdProp(object, *prop, ident >= 0 ? ident : SettingIsTrue(value) ? 1 : 0);
                return true;
            }
            default:
                if (!isVocabulary(name))
                    logLine(describe(object, name, value) + ": a " + prop->TypeName() +
                            " takes no setting");
                return false;
        }
    } catch (const std::exception& e) {
        logLine(describe(object, name, value) + ": " + e.what());
        return false;
    }
}

bool TMT_Doc::applyParent(plat::TComponent* control, const std::string& value) {
    plat::TComponent* owner = control->Owner();
    if (!owner || !plat::GetPropInfo(control, "Parent")) return false;
    auto setParent = [&](plat::TComponent* target) {
        try {
            plat::SetObjectProp(control, "Parent", target);
        } catch (const std::exception& e) {
            logLine(describe(control, "Parent", value) + ": " + e.what());
        }
    };
    const char* panel = nullptr;
    if (value == display(kHeader) || value == "Header")
        panel = "pnlHead";
    else if (value == display(kFooter) || value == "Tail")
        panel = "pnlFoot";
    if (panel) {
        // A form without the panel keeps the control where it is.
        if (plat::TComponent* target = owner->FindComponent(panel))
            setParent(target);
        else
            logLine(describe(control, "Parent", value) + ": the form has no " + panel);
        return true;
    }
    plat::TComponent* pages = owner->FindComponent("pgHead");
    if (!pages) return true;
    int count = plat::GetIndexedCount(pages, "Pages");
    for (int i = 0; i < count; ++i) {
        auto* page = dynamic_cast<plat::TComponent*>(plat::GetIndexedItem(pages, "Pages", i));
        if (!page) continue;
        if (page->Name() == value) setParent(page);
        if (plat::GetPropInfo(page, "Caption") && plat::GetStrProp(page, "Caption") == value)
            setParent(page);
    }
    return true;
}

void TMT_Doc::ApplyProperty(plat::TObject* object, const std::string& name,
                            const std::string& value) {
    if (!object) return;
    applyByKind(object, name, value);
    auto* component = dynamic_cast<plat::TComponent*>(object);
    if (name == "Parent") {
        if (component) applyParent(component, value);
    } else if (name == "DCVisible") {
        const char* prop = object->InheritsFrom("TTabSheet") ? "TabVisible" : "Visible";
        if (plat::GetPropInfo(object, prop))
            plat::SetOrdProp(object, prop, SettingIsTrue(value) ? 1 : 0);
        else
            logLine(describe(object, name, value) + ": no " + prop);
    } else if (name == "DisplayLabel") {
        const plat::TPropInfo* caption = plat::GetPropInfo(object, "Caption");
        if (caption && caption->getStr && caption->setStr)
            plat::SetStrProp(object, *caption, value);
    } else if (name == "Items" && component && object->InheritsFrom("TwwDBComboBox") &&
               component->Name().find("UDF") != std::string::npos) {
        plat::SetStrProp(object, "Items",
                         plat::StringReplace(value, "\r\n", "\t", plat::ReplaceFlags::All));
    }
}

plat::TObject* TMT_Doc::findTarget(plat::TComponent* form,
                                   const plat::XmlNode& componentNode) const {
    std::string id = componentNode.GetAttribute("ID");
    if (id.empty()) return nullptr;
    if (id == form->Name()) return form;
    return form->FindComponent(id);
}

void TMT_Doc::ApplyToForm(plat::TComponent* form) {
    if (!form) return;
    for (const plat::XmlNode& componentNode : elements(ComponentsNode)) {
        plat::TObject* target = findTarget(form, componentNode);
        if (!target) continue;
        for (const plat::XmlNode& setting : elements(componentNode))
            ApplyProperty(target, setting.NodeName(), display(setting.Text()));
    }
}

void TMT_Doc::ApplyGridColumns(plat::TComponent* grid) {
    if (!grid || !IsXmlName(grid->Name())) return;
    plat::XmlNode gridNode = GetChildNode(RootNode, grid->Name(), false);
    plat::TDataSet* dataSet = gridNode ? dataSetOf(grid) : nullptr;
    if (!dataSet) return;
    // Names first: applying Index reorders the fields under the walk.
    std::vector<std::string> names;
    for (plat::TField* f : dataSet->Fields()) names.push_back(f->FieldName());
    for (const std::string& name : names) {
        plat::TField* field = dataSet->FindField(name);
        plat::XmlNode fieldNode =
            field ? GetChildByID(gridNode, "Field", name, false) : plat::XmlNode();
        if (!fieldNode || field->InheritsFrom("TMemoField")) continue;
        for (const plat::XmlNode& setting : elements(fieldNode))
            ApplyProperty(field, setting.NodeName(), display(setting.Text()));
    }
    // Column order: by the Index texts, compared as texts without case.
    std::vector<std::pair<std::string, plat::TField*>> order;
    std::vector<plat::TField*> fields;
    for (int i = 0; i < dataSet->FieldCount(); ++i) fields.push_back(dataSet->Fields()[i]);
    for (plat::TField* field : fields)
        for (const plat::XmlNode& setting :
             elements(GetChildByID(gridNode, "Field", field->FieldName(), false)))
            if (setting.NodeName() == "Index") order.emplace_back(display(setting.Text()), field);
    std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) {
        return plat::CompareText(a.first, b.first) < 0;
    });
    for (const auto& [value, field] : order) ApplyProperty(field, "Index", value);
}

void TMT_Doc::ApplyDefaultValues(plat::TComponent* form) {
    if (!form) return;
    for (const plat::XmlNode& componentNode : elements(ComponentsNode)) {
        auto* combo = dynamic_cast<plat::TComponent*>(findTarget(form, componentNode));
        if (!combo || !combo->InheritsFrom("TwwDBComboBox")) continue;
        if (GetOrdPropByName(combo, "Visible") == 0 || GetOrdPropByName(combo, "Left") <= 0)
            continue;
        plat::TDataSet* dataSet = dataSetOf(combo);
        if (!dataSet) continue;
        for (const plat::XmlNode& setting : elements(componentNode)) {
            if (plat::UpperCase(setting.NodeName()) != "DEFAULTTEXT") continue;
            std::string text = setting.Text();
            if (text.empty()) continue;
            if (plat::TField* field = dataSet->FindField(GetStrPropByName(combo, "DataField")))
                writeField(field, text);
        }
    }
}

void TMT_Doc::ApplyUDFComboDefaults(plat::TComponent* grid) {
    if (!grid || !IsXmlName(grid->Name())) return;
    plat::XmlNode gridNode = GetChildNode(RootNode, grid->Name(), false);
    plat::TDataSet* dataSet = gridNode ? dataSetOf(grid) : nullptr;
    if (!dataSet) return;
    for (const plat::XmlNode& fieldNode : elements(gridNode)) {
        std::string id = fieldNode.GetAttribute("ID");
        if (fieldNode.NodeName() != "Field" || id.find("UDF") == std::string::npos) continue;
        plat::XmlNode kind = GetChildNode(fieldNode, "ControlType", false);
        plat::XmlNode text = GetChildNode(fieldNode, "DefaultText", false);
        if (!kind || kind.Text() != "Combo" || !text || plat::Trim(text.Text()).empty()) continue;
        plat::TField* field = dataSet->FindField(id);
        if (field && field->Visible()) writeField(field, text.Text());
    }
}

}  // namespace ktrb
