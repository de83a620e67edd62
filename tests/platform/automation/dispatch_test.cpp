#include "platform/automation/dispatch.h"

#include <gtest/gtest.h>

#include "platform/automation/oleobject.h"

using namespace plat;

namespace {

// A counter like the host's: a property, a method with an output argument,
// an indexed property, a sub-object, and a member that fails.
class Counter : public DispatchObject {
  public:
    Counter() : DispatchObject("Counter") {
        Property(
            "Value", [this] { return Variant(value_); },
            [this](const Variant& v) { value_ = v.AsInteger(); });
        Property("Version", [] { return Variant(8000); });
        Method(
            "Next",
            [this](DispArgs a) {
                a[0] = ++value_;
                a[1] = Variant("next");
                return Variant(true);
            },
            2, 2);
        Method("Reset", [this](DispArgs) {
            value_ = 0;
            return Variant();
        });
        IndexedProperty(
            "Cells",
            [this](DispArgs a) { return Variant(cells_[a[0].AsInteger()][a[1].AsInteger()]); },
            [this](DispArgs a, const Variant& v) {
                cells_[a[0].AsInteger()][a[1].AsInteger()] = v.AsString();
            },
            2, 2);
        Method(
            "Child",
            [this](DispArgs a) {
                if (!child_) child_ = std::make_shared<Counter>();
                a[0] = Variant(DispatchPtr(child_));
                return Variant();
            },
            1, 1);
        Method("Fail", [](DispArgs) -> Variant { throw EConvertError("bad number"); });
        Method("Stop", [](DispArgs) -> Variant { Abort(); });
    }

  private:
    int value_ = 0;
    std::string cells_[3][3];
    std::shared_ptr<Counter> child_;
};

// A scripted fake that answers every name and records the calls.
class Recorder : public Dispatch {
  public:
    std::vector<std::string> calls;
    bool HasMember(std::string_view) const override { return true; }

  protected:
    Variant DoInvoke(std::string_view name, DispatchKind kind, DispArgs args) override {
        calls.push_back(std::string(name) + "/" + std::to_string(args.size()));
        return Variant(0);
    }
};

}  // namespace

TEST(Dispatch, PropertiesAndMethodsByNameIgnoringCase) {
    auto c = std::make_shared<Counter>();
    c->Put("value", 41);
    EXPECT_EQ(c->Get("VALUE").AsInteger(), 41);
    Variant n, text;
    EXPECT_TRUE(c->Call("next", n, text).AsBoolean());
    EXPECT_EQ(n.AsInteger(), 42);  // written back through the reference
    EXPECT_EQ(text.AsString(), "next");
    // A method read as a property runs it; a property called returns it.
    c->Get("Reset");
    EXPECT_EQ(c->Call("Value").AsInteger(), 0);
    EXPECT_TRUE(c->HasMember("CELLS"));
    EXPECT_FALSE(c->HasMember("Cell"));
}

TEST(Dispatch, ValuesPassedByValueAreNotWrittenBack) {
    auto c = std::make_shared<Counter>();
    const Variant constant(7);
    Variant out;
    c->Call("Next", constant, out);
    EXPECT_EQ(constant.AsInteger(), 7);
    std::vector<Variant> args{Variant(), Variant()};
    c->CallArgs("Next", args);
    EXPECT_EQ(args[0].AsInteger(), 2);
}

TEST(Dispatch, IndexedPropertiesAndObjectsThroughOutputArguments) {
    auto c = std::make_shared<Counter>();
    c->PutIndexed("Cells", Variant("x"), 1, 2);
    EXPECT_EQ(c->GetIndexed("Cells", 1, 2).AsString(), "x");
    Variant child;
    c->Call("Child", child);
    ASSERT_TRUE(child.IsDispatch());
    VarToDispatch(child)->Put("Value", 5);
    Variant again;
    c->Call("Child", again);
    EXPECT_EQ(VarToDispatch(again)->Get("Value").AsInteger(), 5);
    EXPECT_THROW(VarToDispatch(Variant()), EOleError);
    EXPECT_THROW(VarToDispatch(Variant(3)), EOleError);
}

TEST(Dispatch, ErrorsNameTheMember) {
    auto c = std::make_shared<Counter>();
    struct Case {
        std::function<void()> call;
        int32_t code;
        const char* inMessage;
    } cases[] = {
        {[&] { c->Get("Missing"); }, kUnknownName, "Missing"},
        {[&] { c->Call("Next", 1); }, kBadParamCount, "Next"},
        {[&] { c->Put("Version", 1); }, kMemberNotFound, "Version"},
        {[&] { c->Put("Next", 1); }, kMemberNotFound, "Next"},
        {[&] { c->GetIndexed("Cells", 1); }, kBadParamCount, "Cells"},
    };
    for (auto& k : cases) {
        try {
            k.call();
            ADD_FAILURE() << k.inMessage;
        } catch (const EOleSysError& e) {
            EXPECT_EQ(e.ErrorCode(), k.code) << e.what();
            EXPECT_NE(std::string(e.what()).find(k.inMessage), std::string::npos) << e.what();
        }
    }
    try {
        c->Call("Fail");
        ADD_FAILURE();
    } catch (const EOleException& e) {
        EXPECT_EQ(e.Member(), "Fail");
        EXPECT_EQ(e.Description(), "bad number");
        EXPECT_EQ(e.Source(), "Counter");
    }
    EXPECT_THROW(c->Call("Stop"), EAbort);
}

TEST(Dispatch, CustomObjectsAnswerEveryName) {
    auto r = std::make_shared<Recorder>();
    Variant v(r);
    VarToDispatch(v)->Call("DoIt2", 1, "a", Variant());
    VarToDispatch(v)->Put("ErrorCode", 0);
    EXPECT_EQ(r->calls, (std::vector<std::string>{"DoIt2/3", "ErrorCode/1"}));
}

TEST(OleObject, CreationByProgId) {
    try {
        CreateOleObject("Nobody.Class1");
        ADD_FAILURE();
    } catch (const EOleSysError& e) {
        EXPECT_STREQ(e.what(), "Invalid class string");
        EXPECT_EQ(e.ErrorCode(), kInvalidClassString);
    }
    int made = 0;
    RegisterOleFactory("Test.Counter", [&] {
        ++made;
        return std::make_shared<Counter>();
    });
    auto a = CreateOleObject("test.COUNTER");
    auto b = CreateOleObject("Test.Counter");
    EXPECT_NE(a, b);  // a new object each time
    EXPECT_EQ(made, 2);
    UnregisterOleFactory("Test.Counter");
    EXPECT_FALSE(IsOleFactoryRegistered("Test.Counter"));
    EXPECT_THROW(CreateOleObject("Test.Counter"), EOleSysError);
}

TEST(OleObject, ScopedFakesRestoreTheRealFactory) {
    RegisterOleFactory("Real.Server", [] { return std::make_shared<Counter>(); });
    {
        OleFactoryScope fake("Real.Server", [] { return std::make_shared<Recorder>(); });
        EXPECT_NE(dynamic_cast<Recorder*>(CreateOleObject("Real.Server").get()), nullptr);
    }
    EXPECT_NE(dynamic_cast<Counter*>(CreateOleObject("Real.Server").get()), nullptr);
    {
        OleFactoryScope fake("Only.Fake", [] { return std::make_shared<Recorder>(); });
    }
    EXPECT_FALSE(IsOleFactoryRegistered("Only.Fake"));
    UnregisterOleFactory("Real.Server");
}

TEST(OleObject, FailingFactoriesRaiseAutomationErrors) {
    OleFactoryScope throwing("Broken.One",
                             []() -> DispatchPtr { throw std::runtime_error("no licence"); });
    OleFactoryScope empty("Broken.Two", [] { return DispatchPtr(); });
    try {
        CreateOleObject("Broken.One");
        ADD_FAILURE();
    } catch (const EOleSysError& e) {
        EXPECT_NE(std::string(e.what()).find("no licence"), std::string::npos);
    }
    EXPECT_THROW(CreateOleObject("Broken.Two"), EOleSysError);
}
