#include "runtime/LanguageController.h"

#include <exception>

#include "platform/component/collection.h"
#include "platform/component/properties.h"
#include "platform/core/format.h"
#include "platform/core/text.h"
#include "platform/system/files.h"
#include "platform/system/paths.h"
#include "runtime/LibStrs.h"
#include "runtime/LibXml.h"
#include "runtime/MireltaINI.h"

namespace ktrb {

namespace {

constexpr const char* kCannotFindFile = "Cannot Find File %s!";
constexpr const char* kNoActiveController = "No active LanguageController!";
constexpr const char* kMessageAttribute = "Msg";

struct LanguageRow {
    const char* codePage;
    const char* folder;
};
const LanguageRow kLanguageRows[] = {{"936", "CHS"}, {"950", "CHT"}, {"437", "ENG"}};

void logLine(const std::string& text) {
    WriteAlertLog(kLanguageLog, text, "D");
}

bool isIndexedName(const std::string& name) {
    return plat::SameText(name, "Items") || plat::SameText(name, "Columns");
}

bool isIntegerKind(plat::TTypeKind k) {
    return k == plat::TTypeKind::tkInteger || k == plat::TTypeKind::tkInt64;
}

bool isIntegerVariant(const plat::Variant& v) {
    return v.IsOrdinal() && v.Type() != plat::VarType::Boolean;
}

enum class SetResult { Set, NoProperty, Failed };

SetResult setPropByPath(plat::TObject* object, std::string_view path, const plat::Variant& value) {
    if (!object) return SetResult::Failed;
    try {
        for (size_t dot = path.find('.'); dot != std::string_view::npos; dot = path.find('.')) {
            object = plat::GetSubObject(object, path.substr(0, dot));
            if (!object) return SetResult::Failed;
            path.remove_prefix(dot + 1);
        }
        const plat::TPropInfo* prop = plat::GetPropInfo(object, plat::Trim(path));
        if (!prop) return SetResult::NoProperty;
        plat::TTypeKind kind = prop->Kind();
        if (isIntegerKind(kind)) {
            int64_t n;
            if (value.IsText() &&
                plat::IdentToInt(prop->PropType, plat::Trim(value.RawText()), n)) {
                plat::SetOrdProp(object, *prop, n);
                return SetResult::Set;
            }
        } else if ((kind == plat::TTypeKind::tkEnumeration || kind == plat::TTypeKind::tkSet) &&
                   !isIntegerVariant(value)) {
            plat::SetPropValue(object, *prop, plat::Variant(plat::Trim(plat::VarToStr(value))));
            return SetResult::Set;
        }
        plat::SetPropValue(object, *prop, value);
        return SetResult::Set;
    } catch (const std::exception&) {
        return SetResult::Failed;
    }
}

// The object the walk of an attribute path ends on, with the last name and
// its index; target nullptr when the path leads nowhere.
struct PathEnd {
    plat::TObject* target = nullptr;
    std::string name;
    int index = -1;
};

// An indexed inner segment: a collection's item, or the item a class
// publishes under that name; any other target gives the object of the
// property named by the name part. An index out of range keeps the target.
plat::TObject* enterIndexed(plat::TObject* target, const plat::TPathSegment& seg) {
    int count = plat::GetIndexedCount(target, seg.Name);
    if (count >= 0)
        return seg.Index < count ? plat::GetIndexedItem(target, seg.Name, seg.Index) : target;
    return plat::GetSubObject(target, seg.Name);
}

PathEnd walkPath(plat::TComponent* component, const std::string& path) {
    PathEnd end;
    end.target = component;
    std::string_view rest(path);
    std::string last;
    for (;;) {
        size_t dot = rest.find('.');
        std::string segment = plat::Trim(rest.substr(0, dot));
        rest = dot == std::string_view::npos ? std::string_view() : rest.substr(dot + 1);
        if (dot == std::string_view::npos || plat::Trim(rest).empty()) {
            last = segment;
            break;
        }
        plat::TPathSegment seg = plat::ParsePathSegment(segment);
        if (segment.find('_') == std::string::npos) {
            end.target = plat::GetSubObject(end.target, segment);
        } else if (!seg.HasIndex() || !isIndexedName(seg.Name)) {
            last = segment;
            break;
        } else {
            end.target = enterIndexed(end.target, seg);
        }
        if (!end.target) return end;
    }
    plat::TPathSegment seg = plat::ParsePathSegment(last);
    end.name = seg.Name;
    end.index = seg.Index;
    return end;
}

}  // namespace

// ---- Folders and messages ---------------------------------------------------

std::string LanguageFolder(bool server) {
    std::string codePage, path;
    if (server) {
        TMireltaIniS settings;
        codePage = settings.UICodePage;
        path = settings.ServerPath;
    } else {
        TMireltaIniC settings;
        codePage = settings.UICodePage;
        path = settings.ClientPath;
    }
    for (const LanguageRow& row : kLanguageRows) {
        if (codePage != row.codePage) continue;
        std::string folder =
            path + "MultiLanguage" + plat::PathDelim + row.folder + plat::PathDelim;
        return plat::DirectoryExists(folder) ? folder : std::string();
    }
    return {};
}

std::string LangMessage(bool server, const std::string& package, const std::string& id,
                        const std::string& def) {
    try {
        std::string file = LanguageFolder(server) + package + ".Lng";
        if (!IsXmlName(id) || !plat::FileExists(file)) return def;
        plat::XmlDocument doc;
        if (!doc.Load(file)) {
            logLine(file + ": " + doc.ParseError().reason);
            return def;
        }
        plat::XmlNode root = doc.DocumentElement();
        plat::XmlNode node =
            root ? root.SelectSingleNode("//" + id + "/@" + kMessageAttribute) : plat::XmlNode();
        if (!node) return def;
        return node.NodeType() == plat::XmlNodeType::Attribute ? node.Text() : std::string();
    } catch (const std::exception&) {
        return def;
    }
}

bool TrySetPropByPath(plat::TObject* object, const std::string& path, const plat::Variant& value) {
    return setPropByPath(object, path, value) != SetResult::Failed;
}

// ---- Readers ----------------------------------------------------------------

TComponentRead::TComponentRead(plat::TComponent* component, plat::XmlNode node)
    : component_(component), node_(std::move(node)) {}

void TComponentRead::ReadAttribute(const plat::Variant& which) {
    plat::XmlNode attribute;
    switch (which.Type()) {
        case plat::VarType::SmallInt:
        case plat::VarType::Integer:
        case plat::VarType::Byte:
            attribute = node_.Attribute(which.AsInteger());
            break;
        case plat::VarType::OleStr:
        case plat::VarType::String:
            attribute = node_.AttributeNode(which.RawText());
            break;
        default:
            return;
    }
    if (attribute) readNode(attribute);
}

void TComponentRead::readNode(const plat::XmlNode& attribute) {
    if (OnReadAttribute)
        OnReadAttribute(attribute);
    else if (!ApplyAttribute(attribute))
        logLine(Source + ": " + (component_ ? component_->Name() : std::string()) + " " +
                attribute.NodeName() + "=\"" + attribute.Text() + "\" not applied");
}

void TComponentRead::ReadAllAttributes() {
    for (const plat::XmlNode& attribute : node_.Attributes()) readNode(attribute);
}

bool TComponentRead::ApplyAttribute(const plat::XmlNode& attribute) {
    const std::string path = attribute.NodeName();
    const plat::Variant value(attribute.Text());
    PathEnd end = walkPath(component_, path);
    if (!end.target) return false;
    if (end.target == component_ && end.index >= 0) {
        // "Items_3" on the component itself: a line of its list property.
        const plat::TPropInfo* prop = plat::GetPropInfo(component_, end.name);
        if (prop && prop->IsStrings()) {
            try {
                plat::SetStringsItem(component_, *prop, end.index, value.RawText());
                return true;
            } catch (const std::exception&) {
                return false;
            }
        }
        end.target = plat::GetSubObject(component_, end.name);
        if (!end.target) return false;
    }
    SetResult result = setPropByPath(end.target, end.name, value);
    // A message entry may share its name with a component; its text is no
    // property of that component.
    return result == SetResult::Set ||
           (result == SetResult::NoProperty && path == kMessageAttribute);
}

namespace {

// Keeps a combo box's selection across the application of its attributes.
void readKeepingItemIndex(TComponentRead& reader, const std::function<void()>& readAll) {
    plat::TComponent* c = reader.Component();
    const plat::TPropInfo* prop = plat::GetPropInfo(c, "ItemIndex");
    int64_t index = prop ? plat::GetOrdProp(c, *prop) : -1;
    readAll();
    if (!prop) return;
    try {
        if (plat::GetOrdProp(c, *prop) != index) plat::SetOrdProp(c, *prop, index);
    } catch (const std::exception&) {
        // Fewer items than before: the selection cannot be kept.
    }
}

}  // namespace

void TCustomComboBoxRead::ReadAllAttributes() {
    readKeepingItemIndex(*this, [this] { TComponentRead::ReadAllAttributes(); });
}

std::unique_ptr<TComponentRead> CreateComponentReader(plat::TComponent* component,
                                                      plat::XmlNode node) {
    if (component->InheritsFrom("TwwDBCustomComboBox"))
        return std::make_unique<TwwDBCustomComboBoxRead>(component, std::move(node));
    if (component->InheritsFrom("TCustomComboBox"))
        return std::make_unique<TCustomComboBoxRead>(component, std::move(node));
    return std::make_unique<TComponentRead>(component, std::move(node));
}

TLangReader::TLangReader(plat::XmlDocument document) : document_(std::move(document)) {}

bool TLangReader::excluded(const std::string& name) const {
    std::string trimmed = plat::Trim(name);
    for (int i = 0; i < ExcludeControls.Count(); ++i)
        if (plat::SameText(plat::Trim(ExcludeControls[i]), trimmed)) return true;
    return false;
}

void TLangReader::applyNode(plat::TComponent* component, const plat::XmlNode& node) {
    BeforeLoadComponent(component, node);
    std::unique_ptr<TComponentRead> reader = CreateComponentReader(component, node);
    reader->Source = Source;
    reader->ReadAllAttributes();
    AfterLoadComponent(component, node);
}

void TLangReader::LoadComponent(plat::TComponent* component) {
    // A form names hundreds of components: one walk over the package finds
    // them all, where a search of the whole package each would not.
    firstByName_.clear();
    std::vector<plat::XmlNode> pending;
    if (plat::XmlNode root = document_.DocumentElement()) pending.push_back(root);
    while (!pending.empty()) {
        const plat::XmlNode node = pending.back();
        pending.pop_back();
        firstByName_.emplace(node.NodeName(), node);
        const plat::XmlNodeList children = node.ChildNodes();
        for (int i = children.Length() - 1; i >= 0; --i)
            if (children.Item(i).NodeType() == plat::XmlNodeType::Element)
                pending.push_back(children.Item(i));
    }
    try {
        loadTree(component);
    } catch (...) {
        firstByName_.clear();
        throw;
    }
    firstByName_.clear();
}

void TLangReader::loadTree(plat::TComponent* component) {
    if (!component) return;
    if (component->InheritsFrom("TCustomForm") || component->InheritsFrom("TForm") ||
        component->InheritsFrom("TDataModule")) {
        if (plat::XmlNode root = document_.DocumentElement()) applyNode(component, root);
    }
    const std::string& name = component->Name();
    // A name that is no XML name cannot have an element.
    if (!name.empty() && !excluded(name) && IsXmlName(plat::Trim(name))) {
        auto it = firstByName_.find(plat::Trim(name));
        if (it != firstByName_.end()) applyNode(component, it->second);
    }
    for (int i = 0; i < component->ComponentCount(); ++i) loadTree(component->Components(i));
}

// ---- Controller -------------------------------------------------------------

TLanguageController::TLanguageController(plat::TComponent* owner) : plat::TComponent(owner) {}

TLanguageController::~TLanguageController() {
    release();
}

bool TLanguageController::Active() const {
    return loaded_ && bool(document_.DocumentElement());
}

void TLanguageController::SetActive(bool active) {
    if (loading_) {
        storedActive_ = active;
        return;
    }
    if (active == Active()) return;
    if (active)
        open();
    else
        close();
}

void TLanguageController::Loaded() {
    loading_ = false;
    if (storedActive_) SetActive(true);
}

void TLanguageController::SetFileName(const std::string& fileName) {
    if (fileName == fileName_) return;
    fileName_ = fileName;
    packageText_.clear();
    if (Active()) close();
}

void TLanguageController::SetPackageText(const std::string& text) {
    if (text == packageText_) return;
    packageText_ = text;
    if (Active()) close();
}

void TLanguageController::SetExcludeControls(const std::vector<std::string>& names) {
    exclude_.Clear();
    for (const std::string& n : names) exclude_.Add(n);
    if (reader_) reader_->ExcludeControls.Assign(exclude_);
}

TLangReader& TLanguageController::GetLangReader() {
    if (!Active() || !reader_) throw LanguageControllerError(kNoActiveController);
    return *reader_;
}

void TLanguageController::release() {
    document_ = plat::XmlDocument();
    loaded_ = false;
    reader_.reset();
}

void TLanguageController::open() {
    BeforeOpen(this);
    release();
    plat::XmlDocument doc;
    bool ok;
    if (!packageText_.empty()) {
        ok = doc.LoadXML(packageText_);
    } else if (fileName_.empty()) {
        throw LanguageControllerError(plat::Format(kCannotFindFile, {plat::Variant(fileName_)}));
    } else {
        ok = doc.Load(fileName_);
    }
    if (!ok || !doc.DocumentElement()) throw LanguageControllerError(doc.ParseError().reason);
    document_ = doc;
    loaded_ = true;
    reader_ = std::make_unique<TLangReader>(document_);
    reader_->ExcludeControls.Assign(exclude_);
    reader_->BeforeLoadComponent = BeforeLoadComponent;
    reader_->AfterLoadComponent = AfterLoadComponent;
    reader_->Source = packageText_.empty() ? fileName_ : Name();
    AfterOpen(this);
}

void TLanguageController::close() {
    BeforeClose(this);
    release();
    AfterClose(this);
}

TQvLangController::TQvLangController(plat::TComponent* owner) : TLanguageController(owner) {}

void TQvLangController::SetLangPackageName(const std::string& name) {
    if (name == packageName_) return;
    packageName_ = name;
    SetFileName(LanguageFolder(DesignType == dtServer) + name + ".Lng");
}

void TQvLangController::ApplyPackages(plat::TComponent* target,
                                      const std::vector<std::string>& packageNames) {
    for (const std::string& name : packageNames) {
        SetLangPackageName(name);
        if (!plat::FileExists(FileName())) continue;
        try {
            SetActive(true);
            GetLangReader().LoadComponent(target);
        } catch (const LanguageControllerError& e) {
            logLine(FileName() + ": " + e.what());
        }
    }
}

// ---- Published properties ---------------------------------------------------

PLAT_PUBLISH(TQvLangController) {
    p.Prop("Active", &TQvLangController::Active, &TQvLangController::SetActive);
    p.Prop("AfterClose", &TQvLangController::AfterClose);
    p.Prop("AfterOpen", &TQvLangController::AfterOpen);
    p.Prop("BeforeClose", &TQvLangController::BeforeClose);
    p.Prop("BeforeOpen", &TQvLangController::BeforeOpen);
    p.Prop("AfterLoadComponent", &TQvLangController::AfterLoadComponent, nullptr,
           "TLoadComponentEvent");
    p.Prop("BeforeLoadComponent", &TQvLangController::BeforeLoadComponent, nullptr,
           "TLoadComponentEvent");
    p.Strings(
        "ExcludeControls",
        [](TQvLangController& c) {
            std::vector<std::string> lines;
            for (int i = 0; i < c.ExcludeControls().Count(); ++i)
                lines.push_back(c.ExcludeControls()[i]);
            return lines;
        },
        [](TQvLangController& c, const std::vector<std::string>& lines) {
            c.SetExcludeControls(lines);
        });
    p.Prop("LangPackageName", &TQvLangController::LangPackageName,
           &TQvLangController::SetLangPackageName);
    p.Prop("DesignType", &TQvLangController::DesignType);
}

}  // namespace ktrb
