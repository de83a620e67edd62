// The shared field handlers: stored forms against display forms in each date
// layout, refusals by message code, and code completion.
#include <gtest/gtest.h>

#include "platform/component/properties.h"
#include "support/dataframe/DataModuleFixture.h"

namespace ktrb::test {
namespace {

using plat::TField;
using plat::TFieldType;
using plat::Variant;

class Handlers : public ::testing::Test {
  protected:
    Handlers() : dm(&form) {
        for (auto [name, type, size] :
             std::initializer_list<std::tuple<const char*, TFieldType, int>>{
                 {"T", TFieldType::ftString, 4},
                 {"DAY", TFieldType::ftString, 2},
                 {"MON", TFieldType::ftString, 2},
                 {"D", TFieldType::ftString, 8},
                 {"DT", TFieldType::ftDate, 0},
                 {"MD", TFieldType::ftString, 4},
                 {"YM", TFieldType::ftString, 6},
                 {"Y", TFieldType::ftString, 4},
                 {"P", TFieldType::ftFloat, 0},
                 {"S", TFieldType::ftString, 10},
                 {"CODE", TFieldType::ftString, 20},
                 {"KIND", TFieldType::ftString, 1}})
            ds.FieldDefs().Add(name, type, size);
        ds.CreateDataSet();
        bind("T", &TdmRadical::TimeFieldGetText, &TdmRadical::TimeFieldSetText,
             &TdmRadical::TimeFieldValidate);
        bind("DAY", nullptr, &TdmRadical::DayFieldSetText, &TdmRadical::DayFieldValidate);
        bind("MON", nullptr, &TdmRadical::MonthFieldSetText, &TdmRadical::MonthFieldValidate);
        bind("D", &TdmRadical::DateFieldGetText, &TdmRadical::DateFieldSetText,
             &TdmRadical::DateFieldValidate);
        bind("DT", &TdmRadical::DateFieldGetText, &TdmRadical::DateFieldSetText,
             &TdmRadical::DateFieldValidate);
        bind("MD", &TdmRadical::MDFieldGetText, &TdmRadical::MDFieldSetText,
             &TdmRadical::MDFieldValidate);
        bind("YM", &TdmRadical::YMFieldGetText, &TdmRadical::YMFieldSetText,
             &TdmRadical::YMFieldValidate);
        bind("Y", &TdmRadical::YearFieldGetText, &TdmRadical::YearFieldSetText, nullptr);
        bind("P", &TdmRadical::PercentFieldGetText, &TdmRadical::PercentFieldSetText, nullptr);
        bind("S", &TdmRadical::SecondFldGetText, &TdmRadical::SecondFldSetText, nullptr);
        ds.Insert();
    }

    using GetText = void (TdmRadical::*)(TField*, std::string&, bool);
    using SetText = void (TdmRadical::*)(TField*, const std::string&);
    using Validate = void (TdmRadical::*)(TField*);
    void bind(const char* name, GetText get, SetText set, Validate validate) {
        TField* f = ds.FieldByName(name);
        if (get) f->OnGetText = plat::TFieldGetTextEvent(static_cast<TdmRadical*>(&dm), get);
        if (set) f->OnSetText = plat::TFieldSetTextEvent(static_cast<TdmRadical*>(&dm), set);
        if (validate)
            f->OnValidate = plat::TFieldNotifyEvent(static_cast<TdmRadical*>(&dm), validate);
    }
    void layout(int code, const std::string& separator) {
        dm.DateLayout = code;
        dm.DateSeparator = separator;
    }
    // Types a text; the stored text, or "refused <code>" after an abort.
    std::string type(const char* field, const std::string& text) {
        size_t before = form.messages.size();
        try {
            ds.FieldByName(field)->SetText(text);
        } catch (const plat::EAbort&) {
            return "refused " +
                   (form.messages.size() > before ? form.messages.back().code : std::string("?"));
        }
        return ds.FieldByName(field)->AsString();
    }
    std::string shown(const char* field) { return ds.FieldByName(field)->DisplayText(); }
    void store(const char* field, const Variant& value) {
        plat::TField* f = ds.FieldByName(field);
        auto validate = f->OnValidate;
        f->OnValidate = nullptr;
        f->SetValue(value);
        f->OnValidate = validate;
    }

    FakeForm form;
    TestModule dm;
    plat::TClientDataSet ds;
};

TEST_F(Handlers, TimeIsStoredAsHoursAndMinutes) {
    EXPECT_EQ(type("T", "9:5"), "0905");
    EXPECT_EQ(shown("T"), "09:05");
    EXPECT_EQ(type("T", "24:00"), "refused 100187");
    EXPECT_EQ(ds.FieldByName("T")->AsString(), "0905")
        << "a refused value leaves the field as it was";
    EXPECT_EQ(type("T", "12:60"), "refused 100187");
    EXPECT_EQ(type("T", "  :  "), "");
    EXPECT_TRUE(ds.FieldByName("T")->IsNull());
    EXPECT_EQ(dm.TimeFieldEditMask(), "99:99;1; ");
}

TEST_F(Handlers, DaysAndMonthsAreTwoDigitsWithinTheirRange) {
    EXPECT_EQ(type("DAY", "7"), "07");
    EXPECT_EQ(type("DAY", "32"), "refused 000005");
    EXPECT_EQ(type("MON", "12"), "12");
    EXPECT_EQ(type("MON", "13"), "refused 100002");
    EXPECT_EQ(type("MON", " "), "");
}

TEST_F(Handlers, DatesInEachLayout) {
    struct Case {
        int layout;
        const char* separator;
        const char* typed;
        const char* digits;  // the same date keyed without its separators
        const char* mask;
    };
    for (Case c : {Case{1, "/", "2024/03/15", "20240315", "9999/99/99;1; "},
                   Case{2, "-", "03-15-2024", "03152024", "99-99-9999;1; "},
                   Case{3, ".", "15.03.2024", "15032024", "99.99.9999;1; "},
                   Case{4, "/", "113/03/15", "1130315", "99/99/99;1; "},
                   Case{5, "/", "113/03/15", "1130315", "999/99/99;1; "}}) {
        layout(c.layout, c.separator);
        EXPECT_EQ(dm.DateFieldEditMask(), c.mask) << c.layout;
        EXPECT_EQ(type("D", c.typed), "20240315") << c.layout;
        EXPECT_EQ(type("DT", c.typed), "2024/03/15") << c.layout;
        if (c.layout == 4) continue;  // two year digits: 113 does not fit
        EXPECT_EQ(type("D", c.digits), "20240315") << c.layout;
        EXPECT_EQ(type("DT", c.digits), "2024/03/15") << c.layout;
    }
    layout(1, "/");
    EXPECT_EQ(shown("D"), "2024/03/15");
    // A date the calendar lacks is refused with a message; the field keeps
    // its date and the edit its typed text. An emptied mask clears it.
    for (const char* impossible : {"2023/02/29", "2024/13/45", "20241345", "2024/06/"}) {
        EXPECT_EQ(type("D", impossible), "refused 000005") << impossible;
        EXPECT_EQ(type("DT", impossible), "refused 000005") << impossible;
    }
    EXPECT_EQ(ds.FieldByName("D")->AsString(), "20240315");
    EXPECT_EQ(type("D", "    /  /  "), "");
    EXPECT_EQ(type("DT", "    /  /  "), "");
    EXPECT_TRUE(ds.FieldByName("DT")->IsNull());
    store("D", Variant("17521231"));
    EXPECT_THROW(dm.DateFieldValidate(ds.FieldByName("D")), plat::EAbort);
    EXPECT_EQ(form.codes().back(), "000005");
}

TEST_F(Handlers, MonthDayFollowsTheLayout) {
    layout(3, "/");
    store("MD", Variant("0315"));
    EXPECT_EQ(shown("MD"), "15/03");
    EXPECT_EQ(type("MD", "15/03"), "0315");
    layout(1, "-");
    EXPECT_EQ(shown("MD"), "03-15");
    EXPECT_EQ(type("MD", "2-30"), "refused 000005");
    EXPECT_EQ(type("MD", "  -  "), "");
    EXPECT_EQ(dm.MDFieldEditMask(), "99-99;1; ");
}

TEST_F(Handlers, YearMonthFollowsTheLayout) {
    layout(4, "/");
    store("YM", Variant("202403"));
    EXPECT_EQ(shown("YM"), "113/03");
    EXPECT_EQ(type("YM", "113/3"), "202403");
    layout(5, "/");
    store("YM", Variant("199103"));
    EXPECT_EQ(shown("YM"), "080/03");
    layout(2, "/");
    EXPECT_EQ(shown("YM"), "03/1991");
    EXPECT_EQ(dm.YMFieldEditMask(), "99/9999;1; ");
    store("YM", Variant("    03"));
    EXPECT_EQ(shown("YM"), "");

    layout(1, "/");
    EXPECT_EQ(type("YM", "2024/13"), "refused 100002");
    store("YM", Variant("2024"));
    EXPECT_THROW(dm.YMFieldValidate(ds.FieldByName("YM")), plat::EAbort);
    EXPECT_EQ(form.codes().back(), "200820");
    EXPECT_EQ(type("YM", "1752/12"), "refused 200820");
}

TEST_F(Handlers, YearCountedFrom1911InTheMinguoLayouts) {
    layout(5, "/");
    EXPECT_EQ(type("Y", "113"), "2024");
    EXPECT_EQ(shown("Y"), "113");
    EXPECT_EQ(dm.YearFieldEditMask(), "999;1; ");
    layout(4, "/");
    store("Y", Variant("2024"));
    EXPECT_EQ(shown("Y"), "113");
    layout(1, "/");
    EXPECT_EQ(type("Y", "24"), "0024");
    EXPECT_EQ(type("Y", "abc"), "0000");
    store("Y", Variant(""));
    EXPECT_EQ(shown("Y"), "");
}

TEST_F(Handlers, PercentIsAFractionOfOne) {
    EXPECT_EQ(type("P", "17.50%"), "0.175");
    EXPECT_EQ(shown("P"), "17.50%");
    EXPECT_EQ(type("P", " 5 .  %"), "0.05");
    // Typed without the mask's point, the whole number is the percentage.
    EXPECT_EQ(type("P", "17"), "0.17");
    EXPECT_EQ(type("P", "abc"), "0");
    EXPECT_EQ(dm.PercentFieldEditMask(), "###.##%;1; ");
}

TEST_F(Handlers, DurationsAreStoredInSeconds) {
    EXPECT_EQ(type("S", "1:2:3"), "3723");
    EXPECT_EQ(shown("S"), "0001:02:03");
    EXPECT_EQ(type("S", "0000:60:00"), "refused 100187");
    EXPECT_EQ(type("S", "0"), "0");
    EXPECT_EQ(type("S", "10000:00:00"), "refused 100187");
}

TEST_F(Handlers, NumberFormats) {
    std::string format = "keep";
    dm.NumberFieldDisplayFormat(-1, format);
    EXPECT_EQ(format, "keep");
    dm.NumberFieldDisplayFormat(0, format);
    EXPECT_EQ(format, "#,##0.#######");
    dm.NumberFieldDisplayFormat(2, format);
    EXPECT_EQ(format, "#,##0.00");
    dm.NumberFieldDisplayFormat(15, format);
    EXPECT_EQ(format, "#,##0.00000000000");
    EXPECT_EQ(dm.NumberFieldEditFormat(), "##0.#######");
}

TEST_F(Handlers, HandlersAreBoundByName) {
    plat::EventHandle handler = plat::MethodAddress(&dm, "DateFieldSetText");
    ASSERT_TRUE(handler.Assigned());
    EXPECT_EQ(handler, ds.FieldByName("D")->OnSetText.Handle());
    EXPECT_EQ(plat::MethodName(&dm, ds.FieldByName("YM")->OnGetText.Handle()), "YMFieldGetText");
}

// ---- code completion ----

TEST_F(Handlers, SupplierCompletionAsksTheNextQueryWhenTheSettingIsTwo) {
    form.broker->SetSysParam("SYS055", "2");
    form.host->onLookup = [](const Variant&) {
        return plat::VarArrayOf({plat::VarArrayOf({Variant("S0001")})});
    };
    dm.ProviderFieldSetText(ds.FieldByName("CODE"), "S0", "05");
    ASSERT_EQ(form.host->lookupRequests.size(), 1u);
    const Variant& request = form.host->lookupRequests[0];
    EXPECT_EQ(plat::VarToStr(request[0]), "PURMA");
    EXPECT_EQ(plat::VarToStr(request[1]), "6");
    EXPECT_EQ(plat::VarToStr(request[2][0]), "S0");
    EXPECT_TRUE(request[9].AsBoolean());
    EXPECT_EQ(ds.FieldByName("CODE")->AsString(), "S0001");
}

TEST_F(Handlers, CompletionSettings) {
    // "1": stored as typed, no look-up.
    form.broker->SetSysParam("SYS053", "1");
    dm.BarCodeFieldSetText(ds.FieldByName("CODE"), "A100");
    EXPECT_EQ(ds.FieldByName("CODE")->AsString(), "A100");
    // The item handler leaves the field alone for a setting it does not know.
    form.broker->SetSysParam("SYS053", "9");
    dm.BarCodeFieldSetText(ds.FieldByName("CODE"), "B200");
    EXPECT_EQ(ds.FieldByName("CODE")->AsString(), "A100");
    EXPECT_TRUE(form.host->lookupRequests.empty());
    // No answer: the typed code stays; the customer handler asks "61".
    form.broker->SetSysParam("SYS054", "3");
    dm.CustomerFieldSetText(ds.FieldByName("CODE"), "C9");
    EXPECT_EQ(ds.FieldByName("CODE")->AsString(), "C9");
    ASSERT_EQ(form.host->lookupRequests.size(), 1u);
    EXPECT_EQ(plat::VarToStr(form.host->lookupRequests[0][1]), "61");
}

TEST_F(Handlers, BarCodeKindTwoLooksTheBarCodeUp) {
    store("KIND", Variant("2"));
    dm.BarCodeKindField = dynamic_cast<plat::TStringField*>(ds.FieldByName("KIND"));
    form.broker->SetSysParam("SYS053", "1");
    form.host->onLookup = [](const Variant& request) {
        return plat::VarToStr(request[0]) == "INVMH"
                   ? plat::VarArrayOf({plat::VarArrayOf({Variant("A1001-01")})})
                   : Variant();
    };
    dm.BarCodeFieldSetText(ds.FieldByName("CODE"), "6901234567890");
    EXPECT_EQ(ds.FieldByName("CODE")->AsString(), "A1001-01");
    EXPECT_EQ(plat::VarToStr(form.host->lookupRequests.at(0)[1]), "01");
}

TEST_F(Handlers, DisplayTextsAreConvertedBothWays) {
    form.markDisplay = true;
    form.broker->SetSysParam("SYS053", "1");
    dm.BarCodeFieldSetText(ds.FieldByName("CODE"), "«A1»");
    EXPECT_EQ(ds.FieldByName("CODE")->AsString(), "A1");
}

}  // namespace
}  // namespace ktrb::test
