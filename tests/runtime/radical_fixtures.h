// Fixtures of the broker and controller tests: a small root form that
// implements what the controller and the broker ask of the form chain, and
// scripted host objects that record every call.
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/automation/dispatch.h"
#include "runtime/Brokers.h"
#include "runtime/RadicalFormIntf.h"
#include "support/runtime/RadicalFormDouble.h"

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

// The root form the controller's class factory makes: the shared double
// with the platform class name, a count of live forms, a hook inside its
// modal loop and own handlers for the chaining tests.
class TTestRadicalForm : public RadicalFormDouble {
    PLAT_CLASS_NAMED("TfrmTestRadical", TComponent)
  public:
    TTestRadicalForm() {
        ++alive;
        handle = 4711;
        caption = "委外进货单[demo]";
        productID = 5;
        displayConversion = [](const Variant& v) { return Variant("[" + plat::VarToStr(v) + "]"); };
    }
    ~TTestRadicalForm() override { --alive; }

    static inline int alive = 0;

    // Shared by every form the class factory makes (the newest form).
    static inline TTestRadicalForm* last = nullptr;
    static IRadicalForm* Create() {
        last = new TTestRadicalForm();
        return last;
    }

    int ShowFormModal() override {
        ShowForm();
        // A handler that frees the form says so; the form is gone then.
        if (whileModal && whileModal(*this)) return modal::Cancel;
        HideForm();
        return modal::Ok;
    }

    // Own handlers a form chain would bind, for the chaining tests.
    void FormShow(plat::TObject*) { trace.push_back("own OnShow"); }
    void FormClose(plat::TObject*, TCloseAction&) { trace.push_back("own OnClose"); }
    void FormDestroy(plat::TObject*) { trace.push_back("own OnDestroy"); }

    std::function<bool(TTestRadicalForm&)> whileModal;
};

}  // namespace ktrb::test
