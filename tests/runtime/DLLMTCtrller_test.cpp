#include "runtime/DLLMTCtrller.h"

#include <gtest/gtest.h>

#include <cstring>

#include "radical_fixtures.h"
#include "runtime/Brokers.h"

namespace ktrb::test {
namespace {

// The slot of a virtual operation in the table of virtual operations, read
// from the member pointer (the Itanium ABI keeps 1 + the byte offset there).
template <class M>
std::ptrdiff_t slotOf(M member) {
    struct {
        std::ptrdiff_t ptr, adj;
    } raw;
    static_assert(sizeof(M) == sizeof(raw));
    std::memcpy(&raw, &member, sizeof raw);
    return (raw.ptr - 1) / (std::ptrdiff_t)sizeof(void*);
}

TEST(ControllerContract, OperationsKeepTheirSlots) {
    using C = TDLLBaseController;
    const std::vector<std::pair<const char*, std::ptrdiff_t>> slots = {
        {"GetVersion", slotOf(&C::GetVersion)},
        {"GetVisible", slotOf(&C::GetVisible)},
        {"SetVisible", slotOf(&C::SetVisible)},
        {"GetHandle", slotOf(&C::GetHandle)},
        {"Init", slotOf(&C::Init)},
        {"SetParams", slotOf(&C::SetParams)},
        {"SetMode", slotOf(&C::SetMode)},
        {"ShowModal", slotOf(&C::ShowModal)},
        {"Close", slotOf(&C::Close)},
        {"GetConnectionInfo", slotOf(&C::GetConnectionInfo)},
        {"IsFree", slotOf(&C::IsFree)},
        {"NotifyCreated", slotOf(&C::NotifyCreated)},
        {"FormShowHook", slotOf(&C::FormShowHook)},
        {"FormHideHook", slotOf(&C::FormHideHook)},
        {"FormDestroyHook", slotOf(&C::FormDestroyHook)},
        {"FormCloseHook", slotOf(&C::FormCloseHook)},
        {"DoNotify", slotOf(&C::DoNotify)},
        {"Reserved", slotOf(&C::Reserved)},
    };
    for (size_t i = 0; i < slots.size(); ++i)
        EXPECT_EQ(slots[i].second, (std::ptrdiff_t)i) << slots[i].first;
}

TEST(ControllerContract, GetControllerNeedsARegisteredClass) {
    TControllerClass saved = DLLControllerClass;
    DLLControllerClass = nullptr;
    try {
        delete CreateRegisteredController();
        ADD_FAILURE() << "no exception";
    } catch (const plat::Exception& e) {
        EXPECT_STREQ(e.what(),
                     "QRV DLL Internal Error :\rNot Assign \"DLLControllerClass\" varible");
    }
    InitializeDLLMTCtrller();
    std::unique_ptr<TDLLBaseController> a(CreateRegisteredController()),
        b(CreateRegisteredController());
    EXPECT_NE(a.get(), b.get());
    EXPECT_NE(dynamic_cast<TDLLMTCtrller*>(a.get()), nullptr);
    DLLControllerClass = saved;
}

// A controller as the host drives it, with the test form class registered.
class ControllerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        savedFormClass_ = frmRadicalClass;
        frmRadicalClass = &TTestRadicalForm::Create;
        TTestRadicalForm::alive = 0;
        ctl = std::make_unique<TDLLMTCtrller>();
        ctl->WorkCenter = host.Main();
        ctl->OnNotify =
            TNotifyHandler([this, expected = ctl.get()](int32_t code, TDLLBaseController* sender) {
                codes.push_back(code);
                EXPECT_EQ(sender, expected);
            });
    }
    void TearDown() override {
        ctl.reset();
        frmRadicalClass = savedFormClass_;
        EXPECT_EQ(TTestRadicalForm::alive, 0) << "a form was left behind";
    }
    TTestRadicalForm* form() const { return static_cast<TTestRadicalForm*>(ctl->Form()); }
    Variant params() const { return plat::VarArrayOf({"DS", "DEMO", "DEMODB", 99, "extra"}); }

    ScriptedHost host;
    std::unique_ptr<TDLLMTCtrller> ctl;
    std::vector<int32_t> codes;

  private:
    TRadicalFormClass savedFormClass_ = nullptr;
};

TEST_F(ControllerTest, InitCreatesHooksAndStartsTheForm) {
    ASSERT_EQ(ctl->Init(params()), 0);
    ASSERT_NE(form(), nullptr);
    EXPECT_EQ(codes, std::vector<int32_t>{notify::Created});
    EXPECT_EQ(form()->broker->MainObject().AsDispatch(), host.main);
    EXPECT_FALSE(form()->moduleFileName.empty());
    ASSERT_EQ(form()->initParams.size(), 1u);
    EXPECT_EQ(form()->initParams[0][4].AsString(), "extra");

    ctl->SetVisible(-1);
    EXPECT_EQ(ctl->GetVisible(), -1);
    ctl->SetVisible(0);
    EXPECT_EQ(ctl->GetVisible(), 0);
    EXPECT_EQ(codes, (std::vector<int32_t>{notify::Created, notify::Shown, notify::Hidden}));
    std::string version;
    ctl->GetVersion(version);
    EXPECT_EQ(version, "900214");
    EXPECT_EQ(ctl->GetHandle(), 4711);
}

TEST_F(ControllerTest, InitAnswersMinusOneWhenTheFormRefuses) {
    frmRadicalClass = [] {
        IRadicalForm* f = TTestRadicalForm::Create();
        TTestRadicalForm::last->initAnswer = false;
        return f;
    };
    EXPECT_EQ(ctl->Init(params()), -1);
    EXPECT_FALSE(ctl->IsFree());
}

TEST_F(ControllerTest, InitWithoutFormClassRaises) {
    frmRadicalClass = nullptr;
    try {
        ctl->Init(params());
        ADD_FAILURE() << "no exception";
    } catch (const plat::Exception& e) {
        EXPECT_STREQ(e.what(), "QRV DLL Internal Error :\rNot Assign \"frmRadicalClass\" varible");
    }
    EXPECT_TRUE(ctl->IsFree());
}

TEST_F(ControllerTest, HostVersionMustBe8000) {
    struct Case {
        Variant version;
        std::vector<std::string> boxes;
        std::string error;
    };
    const std::string old = "BrannixCenter version too old,please update!";
    const std::vector<Case> cases = {
        {8001,
         {"This program's version is too old, please update.", old},
         old + "This program's version is too old, please update."},
        {7999,
         {"BrannixCenter version too old,please update.", old},
         old + "BrannixCenter version too old,please update."},
        {"8000x", {old}, old},  // not comparable: the guard's own message only
    };
    for (const Case& c : cases) {
        host.main->values["DependencyVersion"] = c.version;
        std::vector<int32_t> seen;  // outlives the controller, which notifies when it closes
        auto controller = std::make_unique<TDLLMTCtrller>();
        controller->WorkCenter = host.Main();
        controller->OnNotify =
            TNotifyHandler([&seen](int32_t code, TDLLBaseController*) { seen.push_back(code); });
        try {
            controller->Init(params());
            ADD_FAILURE() << "no exception for " << plat::VarToStr(c.version);
        } catch (const plat::Exception& e) {
            EXPECT_EQ(std::string(e.what()).substr(0, c.error.size()), c.error);
        }
        auto* f = static_cast<TTestRadicalForm*>(controller->Form());
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->messageBoxes, c.boxes);
        EXPECT_TRUE(seen.empty()) << "no notification before the check passed";
        EXPECT_FALSE(f->onShow.Assigned()) << "the form is not hooked";
        EXPECT_TRUE(f->initParams.empty());
    }
}

TEST_F(ControllerTest, AFormThatFreesItselfAfterAFailedCheckIsForgotten) {
    host.main->values["DependencyVersion"] = 7000;
    EXPECT_THROW(ctl->Init(params()), plat::Exception);
    // Unhooked, the form goes away on its own (its user closed it).
    form()->FreeForm();
    EXPECT_TRUE(ctl->IsFree());
    EXPECT_EQ(ctl->GetVisible(), 0);
    ctl->Close(0);
    Variant info = "untouched";
    EXPECT_EQ(ctl->GetConnectionInfo(info), -1);
    EXPECT_EQ(info.AsString(), "untouched");
}

TEST_F(ControllerTest, ASecondInitDoesNotChainTheHooksToThemselves) {
    frmRadicalClass = [] {
        IRadicalForm* f = TTestRadicalForm::Create();
        auto* form = TTestRadicalForm::last;
        form->onShow = plat::TNotifyEvent(form, &TTestRadicalForm::FormShow);
        form->onClose = TCloseEvent(form, &TTestRadicalForm::FormClose);
        return f;
    };
    ASSERT_EQ(ctl->Init(params()), 0);
    ASSERT_EQ(ctl->Init(params()), 0);
    EXPECT_EQ(form()->initParams.size(), 2u);
    form()->trace.clear();
    codes.clear();
    ctl->SetVisible(-1);
    EXPECT_EQ(form()->trace, (std::vector<std::string>{"show", "own OnShow"}));
    EXPECT_EQ(codes, std::vector<int32_t>{notify::Shown});
    codes.clear();
    ctl->Close(0);
    EXPECT_EQ(codes, (std::vector<int32_t>{notify::Closed, notify::Destroyed}));
}

TEST_F(ControllerTest, CloseNotifiesAndCopiesTheResult) {
    ASSERT_EQ(ctl->Init(params()), 0);
    form()->resultCode = 3;
    form()->resultValue = "TH001";
    ctl->OnNotify = TNotifyHandler([this](int32_t code, TDLLBaseController*) {
        codes.push_back(code);
        if (code == notify::Destroyed) {
            EXPECT_EQ(ctl->ResultCode, 3);
            EXPECT_EQ(ctl->ResultValue.AsString(), "TH001");
        }
    });
    codes.clear();
    ctl->Close(0);
    EXPECT_EQ(codes, (std::vector<int32_t>{notify::Closed, notify::Destroyed}));
    EXPECT_TRUE(ctl->IsFree());
}

// The user closed the form; the host then closes the controller as it
// ends: the form is freed, and the host hears "closed" once.
TEST_F(ControllerTest, CloseAfterTheUserClosedTheFormNotifiesOnce) {
    ASSERT_EQ(ctl->Init(params()), 0);
    ctl->SetVisible(-1);
    codes.clear();
    TCloseAction action = TCloseAction::caHide;
    form()->OnCloseEvent()(form()->FormComponent(), action);
    ctl->Close(0);
    EXPECT_EQ(codes, (std::vector<int32_t>{notify::Closed, notify::Destroyed}));
    EXPECT_TRUE(ctl->IsFree());
}

TEST_F(ControllerTest, CloseWithFlagSkipsTheCloseStep) {
    ASSERT_EQ(ctl->Init(params()), 0);
    codes.clear();
    ctl->Close(1);
    EXPECT_EQ(codes, std::vector<int32_t>{notify::Destroyed});
    ctl->Close(0);  // nothing left to close
    EXPECT_EQ(codes.size(), 1u);
}

TEST_F(ControllerTest, CloseFromInsideANotificationFreesTheFormOnce) {
    ASSERT_EQ(ctl->Init(params()), 0);
    TDLLMTCtrller* c = ctl.get();
    ctl->OnNotify = TNotifyHandler([this, c](int32_t code, TDLLBaseController*) {
        codes.push_back(code);
        c->Close(0);  // a host that closes on every notification
    });
    codes.clear();
    ctl->Close(0);
    EXPECT_EQ(codes, (std::vector<int32_t>{notify::Closed, notify::Destroyed}));
    EXPECT_TRUE(ctl->IsFree());
}

// A host may free its controller as soon as it hears that the form is
// closed or gone; the controller must not touch itself afterwards.
TEST_F(ControllerTest, HostMayFreeTheControllerFromANotification) {
    enum class Road { FormFreesItself, CloseStep, CloseWithoutStep, ModalFormFreesItself };
    struct Case {
        Road road;
        int32_t freeOn;
        std::vector<int32_t> codes;
    };
    const std::vector<Case> cases = {
        {Road::FormFreesItself, notify::Destroyed, {notify::Destroyed}},
        {Road::CloseStep, notify::Destroyed, {notify::Closed, notify::Destroyed}},
        {Road::CloseStep, notify::Closed, {notify::Closed, notify::Destroyed}},
        {Road::CloseWithoutStep, notify::Destroyed, {notify::Destroyed}},
        {Road::ModalFormFreesItself, notify::Destroyed, {notify::Shown, notify::Destroyed}},
    };
    for (const Case& c : cases) {
        auto* controller = new TDLLMTCtrller();
        controller->WorkCenter = host.Main();
        std::vector<int32_t> seen;
        bool freed = false;
        controller->OnNotify = TNotifyHandler([&](int32_t code, TDLLBaseController* sender) {
            seen.push_back(code);
            if (code == c.freeOn && !freed) {
                freed = true;
                delete sender;
            }
        });
        ASSERT_EQ(controller->Init(params()), 0);
        seen.clear();
        auto* f = static_cast<TTestRadicalForm*>(controller->Form());
        f->resultValue = "done";
        Variant result;
        switch (c.road) {
            case Road::FormFreesItself:
                f->FreeForm();
                break;
            case Road::CloseStep:
                controller->Close(0);
                break;
            case Road::CloseWithoutStep:
                controller->Close(1);
                break;
            case Road::ModalFormFreesItself:
                f->whileModal = [](TTestRadicalForm& form) {
                    form.FreeForm();
                    return true;
                };
                controller->ShowModal(result);
                break;
        }
        EXPECT_TRUE(freed);
        EXPECT_EQ(seen, c.codes) << (int)c.road << " " << c.freeOn;
        EXPECT_EQ(TTestRadicalForm::alive, 0) << (int)c.road << " " << c.freeOn;
    }
}

TEST_F(ControllerTest, NotificationsWithoutHandlerAreSkipped) {
    ctl->OnNotify = {};
    ASSERT_EQ(ctl->Init(params()), 0);
    ctl->SetVisible(-1);
    ctl->Close(0);
    EXPECT_TRUE(codes.empty());
}

TEST_F(ControllerTest, FreeingTheControllerClosesTheForm) {
    ASSERT_EQ(ctl->Init(params()), 0);
    codes.clear();
    ctl.reset();
    EXPECT_EQ(codes, (std::vector<int32_t>{notify::Closed, notify::Destroyed}));
    EXPECT_EQ(TTestRadicalForm::alive, 0);
}

TEST_F(ControllerTest, SetModeNarrowsRightsAndSetsTheOpenMode) {
    struct Case {
        int32_t mode;
        uint8_t rights;
        uint16_t formRights;
        uint8_t openMode;
        bool keys;
    };
    const std::vector<Case> cases = {
        {13, 255, 0x01FF, 11, false}, {6, 0, 0x0100, 0, false},     {1, 2, 0x0108, 1, false},
        {2, 8, 0x0102, 2, false},     {7, 255, 0x01FF, 7, true},    {8, 255, 0x01FF, 8, true},
        {10, 255, 0x01FF, 9, true},   {12, 255, 0x01FF, 10, false}, {9, 255, 0x01FF, 0, false},
    };
    EXPECT_EQ(ctl->SetMode(1, 255, Variant()), -1);
    ASSERT_EQ(ctl->Init(params()), 0);
    for (const Case& c : cases) {
        form()->actionRights = 0x01FF;
        form()->hostKeys = Variant();
        form()->trace.clear();
        EXPECT_EQ(ctl->SetMode(c.mode, c.rights, plat::VarArrayOf({"5901", "20240001"})), 0);
        EXPECT_EQ(form()->actionRights, c.formRights) << "mode " << c.mode;
        EXPECT_EQ(form()->openMode, c.openMode) << "mode " << c.mode;
        EXPECT_EQ(form()->hostKeys.IsArray(), c.keys) << "mode " << c.mode;
        // The buttons follow the narrowed rights before the open mode is set.
        EXPECT_EQ(form()->trace,
                  (std::vector<std::string>{"UpdateButtons:" + std::to_string(c.formRights),
                                            "SetOpenMode"}));
    }
    // Rights are never granted back.
    form()->actionRights = 0x0100;
    ctl->SetMode(0, 255, Variant());
    EXPECT_EQ(form()->actionRights, 0x0100);
}

TEST_F(ControllerTest, SetParamsTakesElementOne) {
    EXPECT_EQ(ctl->SetParams(plat::VarArrayOf({0, "x"})), -1);  // no form
    ASSERT_EQ(ctl->Init(params()), 0);
    EXPECT_EQ(ctl->SetParams("TH001='5901'"), -1);
    EXPECT_EQ(ctl->SetParams(Variant::Null()), -1);
    EXPECT_EQ(ctl->SetParams(plat::VarArrayOf({0})), -1);
    EXPECT_EQ(ctl->SetParams(plat::VarArrayOf({0, "TH001='5901'"})), 0);
    EXPECT_EQ(form()->startCondition, "TH001='5901'");
    EXPECT_EQ(ctl->SetParams(plat::VarArrayOf({0, plat::VarArrayOf({"<xml/>", 42})})), 0);
    EXPECT_EQ(form()->startCondition, "<xml/>");
    EXPECT_EQ(form()->startParam.AsInteger(), 42);
}

TEST_F(ControllerTest, ShowModalReturnsTheResultAndFreesTheForm) {
    ASSERT_EQ(ctl->Init(params()), 0);
    form()->whileModal = [](TTestRadicalForm& f) {
        f.resultValue = "chosen";
        return false;
    };
    Variant result;
    ctl->ShowModal(result);
    EXPECT_EQ(result.AsString(), "chosen");
    EXPECT_TRUE(ctl->IsFree());
}

TEST_F(ControllerTest, ShowModalSurvivesAFormThatFreesItself) {
    ASSERT_EQ(ctl->Init(params()), 0);
    form()->whileModal = [](TTestRadicalForm& f) {
        f.resultValue = "gone";
        f.FreeForm();
        return true;
    };
    Variant result;
    ctl->ShowModal(result);
    EXPECT_EQ(result.AsString(), "gone");
    EXPECT_TRUE(ctl->IsFree());
}

TEST_F(ControllerTest, ConnectionInfo) {
    Variant info = "untouched";
    EXPECT_EQ(ctl->GetConnectionInfo(info), -1);
    EXPECT_EQ(info.AsString(), "untouched");
    ASSERT_EQ(ctl->Init(params()), 0);
    TBrokers* b = form()->broker;
    b->UserID = "DS";
    b->CompanyID = "DEMO";
    b->ProgramCode = "KTRB52";
    ASSERT_EQ(ctl->GetConnectionInfo(info), 0);
    ASSERT_EQ(info.HighBound(), 3);
    EXPECT_EQ(info[0].AsString(), "DS");
    EXPECT_EQ(info[1].AsString(), "DEMO");
    EXPECT_EQ(info[2].AsString(), "KTRB52");
    EXPECT_EQ(info[3].AsString(), "");
}

TEST_F(ControllerTest, EverythingIsSafeWithoutAForm) {
    std::string version = "kept";
    ctl->GetVersion(version);
    EXPECT_EQ(version, "kept");
    EXPECT_EQ(ctl->GetVisible(), 0);
    ctl->SetVisible(-1);
    EXPECT_EQ(ctl->GetHandle(), 0);
    Variant result = "kept";
    ctl->ShowModal(result);
    EXPECT_EQ(result.AsString(), "kept");
    ctl->Close(0);
    EXPECT_TRUE(ctl->IsFree());
    EXPECT_TRUE(codes.empty());
}

}  // namespace
}  // namespace ktrb::test
