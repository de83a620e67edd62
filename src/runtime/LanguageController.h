// Language packages: one XML file per class (form, data module, dialog) and
// language, under <installation folder>/MultiLanguage/<CHS|CHT|ENG>/.
//
// A package's document element carries attributes for the form or data
// module itself; an element named after a component (the first in document
// order) carries that component's attributes; an element named after a
// message id carries the message in its attribute "Msg". An attribute name
// is a dotted property path ("Caption", "Font.Name", "Items_3",
// "Columns.Items_1.Title.Caption"), its value the text to assign.
//
// Nothing here writes a package. A package that does not load, and an
// attribute that cannot be applied, are skipped with a line in the
// "Language" alert log; the rest still applies.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/component/component.h"
#include "platform/component/events.h"
#include "platform/component/typeinfo.h"
#include "platform/core/exceptions.h"
#include "platform/core/stringlist.h"
#include "platform/core/variant.h"
#include "platform/xml/xmldocument.h"

namespace ktrb {

// Which installation settings give the folders: the client's or the server's.
PLAT_ENUM(TDesignType, dtClient, dtServer)

inline constexpr const char* kLanguageLog = "Language";

class LanguageControllerError : public plat::Exception {
  public:
    using plat::Exception::Exception;
    const char* ClassName() const override { return "LanguageControllerError"; }
};

// The folder of the current interface language, ending with a separator:
// "936" CHS, "950" CHT, "437" ENG. Empty when the code page has no folder
// or the folder does not exist.
std::string LanguageFolder(bool server);

// The text of message `id` of `package` in the current language; `def` when
// the package or the entry is missing or anything fails.
std::string LangMessage(bool server, const std::string& package, const std::string& id,
                        const std::string& def);

// Sets the published property at a dotted path. Identifiers of integer
// types (clRed, GB2312_CHARSET) and enumerations are converted. False when
// the path leads nowhere or the value does not fit; a last name that is no
// property changes nothing and still answers true. Never raises.
bool TrySetPropByPath(plat::TObject* object, const std::string& path, const plat::Variant& value);

// (component, its node): around the application of each node.
using TLoadComponentEvent = plat::Event<plat::TComponent*, const plat::XmlNode&>;

// Applies one node's attributes to one component.
class TComponentRead {
  public:
    TComponentRead(plat::TComponent* component, plat::XmlNode node);
    virtual ~TComponentRead() = default;

    plat::TComponent* Component() const { return component_; }
    void SetComponent(plat::TComponent* component) { component_ = component; }
    const plat::XmlNode& Node() const { return node_; }
    void SetNode(plat::XmlNode node) { node_ = std::move(node); }

    // One attribute, chosen by position (an integer variant) or by name (a
    // text variant); any other variant chooses nothing.
    void ReadAttribute(const plat::Variant& which);
    virtual void ReadAllAttributes();

    // When set, receives each attribute node instead of the default rule.
    std::function<void(const plat::XmlNode& attribute)> OnReadAttribute;
    // Named in the alert-log lines of attributes that cannot be applied.
    std::string Source;

  protected:
    // False when the attribute changed nothing because its path or value
    // does not fit the component.
    bool ApplyAttribute(const plat::XmlNode& attribute);

  private:
    void readNode(const plat::XmlNode& attribute);
    plat::TComponent* component_;
    plat::XmlNode node_;
};

// Combo boxes keep their selection while their items are replaced.
class TCustomComboBoxRead : public TComponentRead {
  public:
    using TComponentRead::TComponentRead;
    void ReadAllAttributes() override;
};

class TwwDBCustomComboBoxRead : public TCustomComboBoxRead {
  public:
    using TCustomComboBoxRead::TCustomComboBoxRead;
};

// The reader class for a component.
std::unique_ptr<TComponentRead> CreateComponentReader(plat::TComponent* component,
                                                      plat::XmlNode node);

// Applies an open package to components.
class TLangReader {
  public:
    explicit TLangReader(plat::XmlDocument document);
    virtual ~TLangReader() = default;

    // The component's nodes (the document element for a form or data module,
    // then the element of its name unless excluded), then, recursively,
    // every component it owns.
    virtual void LoadComponent(plat::TComponent* component);

    plat::TStringList ExcludeControls;
    TLoadComponentEvent BeforeLoadComponent, AfterLoadComponent;
    std::string Source;

  private:
    void applyNode(plat::TComponent* component, const plat::XmlNode& node);
    bool excluded(const std::string& name) const;
    void loadTree(plat::TComponent* component);

    plat::XmlDocument document_;
    // While a component tree loads: the first element of each name in
    // document order, the one "//name" selects.
    std::unordered_map<std::string, plat::XmlNode> firstByName_;
};

class TLanguageController : public plat::TComponent {
    PLAT_CLASS(TLanguageController, plat::TComponent)
  public:
    explicit TLanguageController(plat::TComponent* owner = nullptr);
    ~TLanguageController() override;

    // Open: a package document with a document element is loaded.
    bool Active() const;
    // Opening raises LanguageControllerError for no file name ("Cannot Find
    // File %s!") and for a file or text that does not load (the parser's
    // reason). While the owner's design is loading only the value is kept.
    void SetActive(bool active);

    const std::string& FileName() const { return fileName_; }
    // A different name drops the package text and closes the controller.
    void SetFileName(const std::string& fileName);
    // XML loaded in place of the file while not empty; new text closes.
    const std::string& PackageText() const { return packageText_; }
    void SetPackageText(const std::string& text);

    const plat::TStringList& ExcludeControls() const { return exclude_; }
    // Copied at once into the open reader too.
    void SetExcludeControls(const std::vector<std::string>& names);

    // Raises LanguageControllerError "No active LanguageController!" while
    // closed.
    TLangReader& GetLangReader();

    // Design loading: SetActive only stores until Loaded opens.
    void BeginLoading() { loading_ = true; }
    void Loaded();

    plat::TNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    TLoadComponentEvent BeforeLoadComponent, AfterLoadComponent;

  private:
    void open();
    void close();
    void release();

    std::string fileName_;
    std::string packageText_;
    plat::XmlDocument document_;
    bool loaded_ = false;
    plat::TStringList exclude_;
    std::unique_ptr<TLangReader> reader_;
    bool storedActive_ = false;
    bool loading_ = false;
};

// The controller every base form owns (component "LangController").
class TQvLangController : public TLanguageController {
    PLAT_CLASS(TQvLangController, TLanguageController)
  public:
    explicit TQvLangController(plat::TComponent* owner = nullptr);

    TDesignType DesignType = dtClient;
    const std::string& LangPackageName() const { return packageName_; }
    // A new name points the file name at <language folder><name>.Lng.
    void SetLangPackageName(const std::string& name);

    // The base form's language pass: for each package name in order, when
    // its file exists, open it and apply it to the target, so that later
    // packages override earlier ones. A package that does not load is
    // skipped with an alert-log line.
    void ApplyPackages(plat::TComponent* target, const std::vector<std::string>& packageNames);

  private:
    std::string packageName_;
};

}  // namespace ktrb
