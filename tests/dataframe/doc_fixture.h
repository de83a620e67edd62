// A header/body document for the single-table and header/body modules: a
// form that answers the single-table and header/body owner interfaces and
// records what it was asked, a module of the header/body class with designed fields, and lines
// of a small layout.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "dataframe/DoubleCD.h"
#include "runtime/libUDF.h"
#include "support/dataframe/DataModuleFixture.h"

namespace ktrb::test {

// Persistent fields made from a packet layout, as a module's design makes them.
inline void DesignFields(plat::TDataSet* dataSet, const std::vector<plat::TPacketField>& fields) {
    for (const plat::TPacketField& pf : fields) {
        plat::TField* f = plat::CreateField(pf.type, dataSet);
        f->SetFieldName(pf.name);
        if (pf.size > 0) f->SetSize(pf.size);
        f->SetDataSet(dataSet);
    }
}

class DocForm : public FakeForm, public ISingleModuleOwner, public IDoubleModuleOwner {
  public:
    using FakeForm::FakeForm;

    std::string carryOver;
    bool headSort = true, bodySort = true, headPage = false, bodyPage = false;
    bool gridSelected = false;
    int selectionClears = 0, headCopies = 0, keysShown = 0, comboDefaults = 0, firstColumn = 0;
    std::vector<std::pair<std::string, std::string>> errorBoxes;
    std::vector<std::string> ruleLoads;  // "program|code|filter"
    std::function<void(const std::string& code, TUDFFields& rules)> onRules;
    std::map<std::string, std::vector<std::string>> combos;
    Variant keyValues;

    // ISingleModuleOwner
    bool HeadTitleSortEnabled() const override { return headSort; }
    void ClearMainGridSelection() override { ++selectionClears; }
    bool MainGridRecordSelected() const override { return gridSelected; }
    std::string ProgramIDFromModule() const override { return "KTRB52"; }
    void LoadFieldRules(const std::string& program, const std::string& code,
                        const std::string& filter, TUDFFields& rules) override {
        ruleLoads.push_back(program + "|" + code + "|" + filter);
        if (onRules) onRules(code, rules);
    }
    Variant GetKeyValueArray() override { return keyValues; }
    bool ComboBoxItems(const std::string& name, std::vector<std::string>& items) const override {
        auto it = combos.find(name);
        if (it == combos.end()) return false;
        items = it->second;
        return true;
    }

    // IDoubleModuleOwner
    void CopyHeadValuesToBody() override { ++headCopies; }
    void ShowKeyInStatusBar() override { ++keysShown; }
    std::string BodyCarryOverFields() const override { return carryOver; }
    void ApplyBodyComboDefaults() override { ++comboDefaults; }
    void FocusFirstBodyColumn() override { ++firstColumn; }
    bool BodyTitleSortEnabled() const override { return bodySort; }
    bool HeadPageShown() const override { return headPage; }
    bool BodyPageVisible() const override { return bodyPage; }
    void ShowErrorBox(const std::string& caption, const std::string& text) override {
        errorBoxes.emplace_back(caption, text);
    }
};

// A rule with one source field (null when the form has none).
inline void AddRule(TUDFFields& rules, const std::string& target, const std::string& query,
                    plat::TField* source = nullptr) {
    TUDFField* rule = rules.Add();
    rule->TargetField = target;
    rule->QueryText = query;
    TUDFRelatedField* related = rule->RelatedFields().Add();
    related->SourceField = source;
    related->SourceFieldName = source ? source->FieldName() : "NONE";
}

// ---- a small document ----

inline std::vector<plat::TPacketField> DocLineFields() {
    using plat::PacketField;
    using plat::TFieldType;
    auto key = [](plat::TPacketField f) {
        f.inKey = true;
        return f;
    };
    return {key(PacketField("TI001", TFieldType::ftString, 4)),
            key(PacketField("TI002", TFieldType::ftString, 11)),
            key(PacketField("TI003", TFieldType::ftString, 4)),
            PacketField("TI004", TFieldType::ftString, 20),
            PacketField("TI009", TFieldType::ftString, 10),
            PacketField("TI035", TFieldType::ftString, 1),
            PacketField("TI007", TFieldType::ftFloat),
            PacketField("TI044", TFieldType::ftFloat),
            PacketField("FLAG", TFieldType::ftFloat)};
}

inline std::vector<plat::TPacketField> DocFields() {
    using plat::PacketField;
    using plat::TFieldType;
    auto key = [](plat::TPacketField f) {
        f.inKey = true;
        return f;
    };
    return {key(PacketField("TH001", TFieldType::ftString, 4)),
            key(PacketField("TH002", TFieldType::ftString, 11)),
            PacketField("TH007", TFieldType::ftString, 4),
            PacketField("TH019", TFieldType::ftFloat),
            PacketField("TH029", TFieldType::ftString, 8),
            PacketField("COMPANY", TFieldType::ftString, 10),
            PacketField("CREATOR", TFieldType::ftString, 10),
            PacketField("USR_GROUP", TFieldType::ftString, 10),
            PacketField("CREATE_DATE", TFieldType::ftString, 17),
            PacketField("MODIFIER", TFieldType::ftString, 10),
            PacketField("MODI_DATE", TFieldType::ftString, 17),
            PacketField("FLAG", TFieldType::ftFloat),
            PacketField("qryBody", TFieldType::ftDataSet, 0, DocLineFields())};
}

struct DocLine {
    std::string no, item, warehouse, state;
    double qty = 0, amount = 0;
};

inline plat::TPacketRow DocRow(const std::string& type, const std::string& number,
                               const std::vector<DocLine>& lines, double total = 0) {
    plat::TPacketRow row;
    row.values =
        plat::TValueRow({Variant(type), Variant(number), Variant("NTD"), Variant(total),
                         Variant("20240315"), Variant("DEMO"), Variant("DS"), Variant("ADMIN"),
                         Variant("20240315"), Variant(""), Variant(""), Variant(0.0), Variant()});
    std::vector<plat::TPacketRow> details;
    for (const DocLine& l : lines) {
        plat::TPacketRow line;
        line.values = plat::TValueRow({Variant(type), Variant(number), Variant(l.no),
                                       Variant(l.item), Variant(l.warehouse), Variant(l.state),
                                       Variant(l.qty), Variant(l.amount), Variant(0.0)});
        details.push_back(line);
    }
    row.details.push_back(std::move(details));
    return row;
}

// The header/body module of a document with designed header fields; the
// lines follow the header's "qryBody".
class DocModule : public TdmDouble {
  public:
    DocModule(DocForm* form, const std::vector<plat::TPacketField>& fields) : TdmDouble(form) {
        Broker = form->broker;
        DesignFields(cdsMain, fields);
        cdsBody1->SetDataSetField(
            dynamic_cast<plat::TDataSetField*>(cdsMain->FieldByName("qryBody")));
    }

    int editHooks = 0;
    std::function<void(TdmDouble&)> beforeBodyPost;
    std::function<bool(TdmDouble&)> rejectBodyPost;
    std::function<void(std::vector<double>&, std::vector<TLineSumFlag>&)> sumFlags;

    void EnteringEditMode() override { ++editHooks; }
    void BeforeBodyPost() override {
        if (beforeBodyPost) beforeBodyPost(*this);
    }
    bool RejectBodyPost() override { return rejectBodyPost && rejectBodyPost(*this); }
    void GetLineSumFlags(const std::vector<std::string>& names, std::vector<double>& values,
                         std::vector<TLineSumFlag>& flags,
                         const std::vector<std::string>& conditions) override {
        TdmDouble::GetLineSumFlags(names, values, flags, conditions);
        if (sumFlags) sumFlags(values, flags);
    }
};

// The module over an in-memory provider, with the receipt's program settings.
class DocTest : public ::testing::Test {
  protected:
    explicit DocTest(std::vector<plat::TPacketRow> rows = DefaultRows())
        : provider("pvdMain", DocFields(), std::move(rows)), dm(&form, DocFields()) {
        form.broker->HostParams().SetText(
            "M11_TABLE=MOCTH\r\nM11_KEY=TH001,TH002\r\nD11_TABLE=MOCTI\r\nD11_KEY=TI001,TI002,"
            "TI003\r\n");
        dm.cdsMain->SetProvider(&provider);
    }
    static std::vector<plat::TPacketRow> DefaultRows() {
        return {
            DocRow("5901", "20240001",
                   {{"0001", "A1001", "W01", "1", 2, 10}, {"0003", "B2001", "W02", "2", 3, 20}}),
            DocRow("5901", "20240002", {})};
    }

    void Open() { ASSERT_TRUE(dm.InitDataModule()); }
    plat::TField* Head(const char* name) { return dm.cdsMain->FieldByName(name); }
    plat::TField* Line(const char* name) { return dm.cdsBody1->FieldByName(name); }
    bool GoToDoc(const std::string& number) { return dm.cdsMain->Locate("TH002", Variant(number)); }
    // The lines' texts of one field, in the lines' order.
    std::vector<std::string> LineTexts(const char* name) {
        std::vector<std::string> out;
        for (dm.cdsBody1->First(); !dm.cdsBody1->Eof(); dm.cdsBody1->Next())
            out.push_back(Line(name)->AsString());
        return out;
    }
    // Adds a new document (form in add mode) with the header key.
    void AddDoc(const std::string& number) {
        form.mode = TFormMode::Add;
        dm.cdsMain->Append();
        Head("TH001")->SetAsString("5901");
        Head("TH002")->SetAsString(number);
    }
    void AddLine(const std::string& item, double amount = 0) {
        dm.cdsBody1->Append();
        Line("TI004")->SetAsString(item);
        Line("TI044")->SetAsFloat(amount);
        dm.cdsBody1->Post();
    }

    DocForm form;
    plat::TMemoryProvider provider;
    DocModule dm;
};

}  // namespace ktrb::test
