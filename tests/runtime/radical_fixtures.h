// Fixtures of the broker and controller tests: a small root form that
// implements what the controller and the broker ask of the form chain, and
// scripted host objects that record every call.
#pragma once
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/automation/dispatch.h"
#include "runtime/Brokers.h"
#include "runtime/RadicalFormIntf.h"

namespace ktrb::test {

using plat::Variant;

// A host object: members answered by handlers, every call recorded.
class ScriptedObject : public plat::DispatchObject {
  public:
    struct Call {
        std::string name;
        std::vector<Variant> args;
    };

    explicit ScriptedObject(std::string name = "Scripted") : DispatchObject(std::move(name)) {}

    // A method that records its arguments (as they came in) and answers.
    void Answer(const std::string& method, std::function<Variant(plat::DispArgs)> fn) {
        Method(method, [this, method, fn = std::move(fn)](plat::DispArgs args) {
            calls.push_back({method, std::vector<Variant>(args.begin(), args.end())});
            return fn(args);
        });
    }
    void AnswerValue(const std::string& method, Variant value) {
        Answer(method, [value](plat::DispArgs) { return value; });
    }
    // A method that raises.
    void Fail(const std::string& method, const std::string& text) {
        Answer(method, [text](plat::DispArgs) -> Variant { throw plat::Exception(text); });
    }
    // A property; writes are recorded as calls named "put <name>".
    void Value(const std::string& name, Variant value) {
        values[name] = value;
        Property(
            name, [this, name] { return values[name]; },
            [this, name](const Variant& v) {
                calls.push_back({"put " + name, {v}});
                values[name] = v;
            });
    }
    const Call* Last(const std::string& method) const {
        for (auto it = calls.rbegin(); it != calls.rend(); ++it)
            if (it->name == method) return &*it;
        return nullptr;
    }
    int Count(const std::string& method) const {
        int n = 0;
        for (const Call& c : calls) n += c.name == method;
        return n;
    }

    std::vector<Call> calls;
    std::map<std::string, Variant> values;
};

inline Variant Disp(const std::shared_ptr<ScriptedObject>& o) {
    return Variant(plat::DispatchPtr(o));
}

// The work-centre object with its three services.
struct ScriptedHost {
    std::shared_ptr<ScriptedObject> main = std::make_shared<ScriptedObject>("WorkCenter");
    std::shared_ptr<ScriptedObject> validator = std::make_shared<ScriptedObject>("Com_Validator");
    std::shared_ptr<ScriptedObject> dravoc = std::make_shared<ScriptedObject>("Com_Dravoc");
    std::shared_ptr<ScriptedObject> counter = std::make_shared<ScriptedObject>("Com_Counter");
    std::map<std::string, std::string> messages;  // "E000038" → text

    ScriptedHost() {
        main->Value("DependencyVersion", 8000);
        main->Value("ProductID", 7);
        main->Value("Com_Validator", Disp(validator));
        main->Value("Com_Dravoc", Disp(dravoc));
        main->Value("Com_Counter", Disp(counter));
        main->Answer("GetMessage", [this](plat::DispArgs a) {
            auto it = messages.find(a[0].AsString() + a[1].AsString());
            return Variant(it == messages.end() ? "<" + a[0].AsString() + a[1].AsString() + ">"
                                                : it->second);
        });
        validator->Value("ProductID", 0);
        validator->Value("BaseLimited", "");
    }
    // Recorded arguments may hold the work-centre object itself (the lookup
    // request does): let go of them so the objects do not keep each other.
    ~ScriptedHost() {
        for (auto* o : {main.get(), validator.get(), dravoc.get(), counter.get()}) o->calls.clear();
    }
    Variant Main() const { return Disp(main); }
};

// The root form as the controller and the broker use it.
class TTestRadicalForm : public plat::TComponent, public IRadicalForm {
    PLAT_CLASS_NAMED("TfrmTestRadical", TComponent)
  public:
    TTestRadicalForm() : TComponent(nullptr) {
        ++alive;
        broker = new TBrokers(this);
    }
    ~TTestRadicalForm() override { --alive; }

    static inline int alive = 0;

    // Shared by every form the class factory makes (the newest form).
    static inline TTestRadicalForm* last = nullptr;
    static IRadicalForm* Create() {
        last = new TTestRadicalForm();
        return last;
    }

    plat::TComponent* FormComponent() override { return this; }
    TBrokers* Brokers() override { return broker; }

    bool FormVisible() const override { return visible; }
    void ShowForm() override {
        trace.push_back("show");
        visible = true;
        if (onShow) onShow(this);
    }
    void HideForm() override {
        visible = false;
        if (onHide) onHide(this);
    }
    THandle FormHandle() override { return handle; }
    std::string FormCaption() const override { return caption; }
    int ShowFormModal() override {
        ShowForm();
        // A handler that frees the form says so; the form is gone then.
        if (whileModal && whileModal(*this)) return modal::Cancel;
        HideForm();
        return modal::Ok;
    }
    void FreeForm() override {
        if (onDestroy) onDestroy(this);
        delete this;
    }

    void SetModuleFileName(const std::string& path) override { moduleFileName = path; }
    bool InitializeFromHost(const Variant& params) override {
        initParams.push_back(params);
        return initAnswer;
    }
    void UpdateButtons() override {
        trace.push_back("UpdateButtons:" + std::to_string(actionRights));
    }
    std::string VersionText() const override { return versionText; }
    uint16_t ActionRights() const override { return actionRights; }
    void SetActionRights(uint16_t r) override { actionRights = r; }
    uint8_t OpenMode() const override { return openMode; }
    void SetOpenMode(uint8_t m) override {
        trace.push_back("SetOpenMode");
        openMode = m;
    }
    Variant HostKeys() const override { return hostKeys; }
    void SetHostKeys(const Variant& k) override { hostKeys = k; }
    std::string StartCondition() const override { return startCondition; }
    void SetStartCondition(const std::string& t) override { startCondition = t; }
    Variant StartParam() const override { return startParam; }
    void SetStartParam(const Variant& v) override { startParam = v; }
    int32_t ResultCode() const override { return resultCode; }
    Variant ResultValue() const override { return resultValue; }
    plat::TNotifyEvent& OnShowEvent() override { return onShow; }
    plat::TNotifyEvent& OnHideEvent() override { return onHide; }
    plat::TNotifyEvent& OnDestroyEvent() override { return onDestroy; }
    TCloseEvent& OnCloseEvent() override { return onClose; }

    int ProductID() const override { return productID; }
    uint64_t RightsSet() const override { return rightsSet; }
    uint8_t LookupStage() const override { return lookupStage; }
    void SetLookupParams(const Variant& r) override { lookupParams = r; }
    Variant LookupResult() const override { return lookupResult; }
    std::string GetUICodePage() const override { return uiCodePage; }
    std::string GetSystemCodePage() const override { return systemCodePage; }
    int GetDisplayMode() const override { return displayMode; }
    Variant ConvertByDisplayMode(const Variant& v) override {
        return Variant("[" + plat::VarToStr(v) + "]");
    }
    int ShowMessageBox(const std::string& text, TMsgDlgType, const TMsgDlgButtons&) override {
        messageBoxes.push_back(text);
        return modal::Ok;
    }
    int RunMessageDialog(const TMessageDialogSpec& dialog) override {
        dialogs.push_back(dialog);
        if (answers.empty()) return modal::Ok;
        int a = answers.front();
        answers.pop_front();
        return a;
    }
    void AfterMessage() override { ++afterMessages; }
    void Beep() override { ++beeps; }

    // Own handlers a form chain would bind, for the chaining tests.
    void FormShow(plat::TObject*) { trace.push_back("own OnShow"); }
    void FormClose(plat::TObject*, TCloseAction&) { trace.push_back("own OnClose"); }
    void FormDestroy(plat::TObject*) { trace.push_back("own OnDestroy"); }

    TBrokers* broker;
    bool visible = false;
    THandle handle = 4711;
    std::string caption = "委外进货单[demo]";
    std::string moduleFileName;
    std::vector<Variant> initParams;
    bool initAnswer = true;
    std::string versionText = "900214";
    uint16_t actionRights = 0x01FF;
    uint8_t openMode = 0;
    Variant hostKeys;
    std::string startCondition;
    Variant startParam;
    int32_t resultCode = 0;
    Variant resultValue;
    plat::TNotifyEvent onShow, onHide, onDestroy;
    TCloseEvent onClose;
    int productID = 5;
    uint64_t rightsSet = 0;
    uint8_t lookupStage = 0;
    Variant lookupParams;
    Variant lookupResult;
    std::string uiCodePage = "936";
    std::string systemCodePage = "936";
    int displayMode = 0;
    std::vector<std::string> messageBoxes;
    std::vector<TMessageDialogSpec> dialogs;
    std::deque<int> answers;
    int afterMessages = 0;
    int beeps = 0;
    std::vector<std::string> trace;
    std::function<bool(TTestRadicalForm&)> whileModal;
};

}  // namespace ktrb::test
