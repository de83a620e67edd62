// The single-table form's document numbering, user-defined fields (binding,
// labels, F2 look-ups, value rules between fields) and drill-down links of
// the browse grid.
#include "controls/FDBGrid.h"
#include "dataframe/knlRadical.h"
#include "forms/SingleCF.h"
#include "platform/component/properties.h"
#include "platform/core/dates.h"
#include "platform/core/format.h"
#include "platform/core/text.h"
#include "platform/data/clientdataset.h"
#include "platform/data/datasource.h"
#include "platform/ui/forms.h"
#include "platform/ui/graphics.h"
#include "query/ColorComponents.h"
#include "runtime/Brokers.h"
#include "runtime/LibStrs.h"
#include "runtime/MT_Doc.h"
#include "runtime/PropAccess.h"
#include "runtime/libUDF.h"

namespace ktrb {

namespace {

const char kLinkSeparator = '\x03';
// Link cells are drawn blue ($FF0000 in the platform's colour order).
const plat::TColor kLinkColor = 0xFF0000;

bool startsWithText(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && plat::SameText(text.substr(0, prefix.size()), prefix);
}

// The first n characters of a UTF-8 text.
std::string firstChars(const std::string& text, size_t n) {
    size_t at = 0;
    for (size_t count = 0; at < text.size() && count < n; ++count) {
        ++at;
        while (at < text.size() && ((unsigned char)text[at] & 0xC0) == 0x80) ++at;
    }
    return text.substr(0, at);
}

}  // namespace

// ---- numbering ----------------------------------------------------------------

void TfrmSingle::AssignDocumentNumber(std::string& docNo) {
    TdmSingle* dm = SingleModule();
    try {
        if (!dm) throw plat::Exception("no data module");
        std::string dateText;
        plat::TField* date =
            dm->DocumentDateField.empty() ? nullptr : dm->cdsMain->FindField(dm->DocumentDateField);
        using plat::TFieldType;
        if (!date) {
            dateText = DateToText(DateFormatCode, "", plat::Date());
        } else if (date->DataType() == TFieldType::ftDate ||
                   date->DataType() == TFieldType::ftTime ||
                   date->DataType() == TFieldType::ftDateTime) {
            dateText = plat::FormatDateTime("YYYYMMDD", date->AsDateTime());
        } else {
            dateText = DateToText(DateFormatCode, "", YmdToDate(date->AsString()));
        }
        Brokers()->QueryMaxSeq(dm->cdsMain, dm->MainTable, dm->KeyFields, dateText, docNo);
        // The validator answers its own text when it has no number to give.
        if (docNo == kNumberUnknownHost || plat::Trim(docNo).empty())
            throw plat::Exception("no document number");
    } catch (const std::exception&) {
        docNo = kNumberUnknown;
        Brokers()->ShowMessageCode("E", "000033", {plat::Variant("")});
    }
}

bool TfrmSingle::CheckDocumentNumber() {
    TdmSingle* dm = SingleModule();
    if (!dm || !dm->AutoNumber || FormMode() != TFormMode::Add) return true;
    std::string name =
        dm->DocumentNumberField.empty() ? dm->AutoNumberField : dm->DocumentNumberField;
    plat::TField* field = name.empty() ? nullptr : dm->cdsMain->FindField(name);
    if (!field) return true;
    std::string number = plat::Trim(field->AsString());
    if (number != kNumberUnknown && number != kNumberUnknownHost) return true;
    Brokers()->ShowMessageCode("E", "000033", {plat::Variant("")});
    return false;
}

// ---- user-defined fields ------------------------------------------------------

void TfrmSingle::SetupUDFControls() {
    TfrmBase::SetupUDFControls();
    TdmSingle* dm = SingleModule();
    if (!dm) return;
    int bound = 0;
    const bool chinese = GetUICodePage() == "950" || GetUICodePage() == "936";
    for (int i = 1; i <= 100; ++i) {
        std::string name = plat::Format("UDF%.2d", {plat::Variant(i)});
        plat::TComponent* edit = FindComponent("ed" + name);
        plat::TComponent* combo = FindComponent("cbo" + name);
        plat::TField* field = dm->cdsMain->FindField(name);
        if (!edit || !field) continue;
        ++bound;
        plat::SetObjectProp(edit, "DataSource", dm->dsMain);
        WriteStrProperty(edit, "DataField", name);
        field->SetVisible(false);
        if (combo) {
            plat::SetObjectProp(combo, "DataSource", dm->dsMain);
            WriteStrProperty(combo, "DataField", name);
            if (auto* c = dynamic_cast<plat::TControl*>(combo)) c->SetLeft(-1000);
        }
        if (!udfLabelsRead_) {
            udfLabelsRead_ = true;
            Brokers()->QueryData("ADMMD", "03",
                                 plat::VarArrayOf({Brokers()->HostParam("M11_TABLE")}), udfLabels_);
        }
        std::string label;
        for (const plat::Variant& row : replyRows(udfLabels_))
            if (plat::SameText(plat::Trim(replyCell(row, 0)), name)) {
                label = replyCell(row, chinese ? 1 : 2);
                break;
            }
        if (label.empty())
            label =
                plat::Format(GetLangMessage("TfrmSingle", "sUdfFieldDisplay", "自定义项%d", true),
                             {plat::Variant(bound)});
        field->SetDisplayLabel(label);
        WriteStrProperty(edit, "Caption", label);
        if (combo) WriteStrProperty(combo, "Caption", label);
    }
}

void TfrmSingle::SetUDFHints() {
    TdmSingle* dm = SingleModule();
    if (!dm) return;
    TMT_Doc* settings = GetUserSettings();
    for (int i = 0; i < dm->cdsMain->FieldCount(); ++i) {
        plat::TField* field = dm->cdsMain->Fields()[i];
        if (!startsWithText(field->FieldName(), "UDF")) continue;
        plat::TComponent* edit = FindComponent("ed" + field->FieldName());
        if (!edit || !HasProperty(edit, "ButtonHint")) continue;
        std::string source =
            settings ? settings->GetComponentProperty(edit->Name(), "DataSource") : std::string();
        if (source == kNoSetting) source.clear();
        std::string hint =
            !source.empty() && !plat::SameText(source, "Custom")
                ? plat::Format(GetLangMessage("TfrmSingle", "sQuery", "%s查询", true),
                               {plat::Variant(ReadStrProperty(edit, "Caption"))})
                : GetLangMessage("TfrmSingle", "sHINT_PHRASE", "常用语查询", true);
        WriteStrProperty(edit, "ButtonHint", hint);
        WriteStrProperty(edit, "Hint", "[F2]" + hint);
    }
}

void TfrmSingle::HandleF2Key(uint16_t& key, plat::TWinControl* control) {
    TfrmBase::HandleF2Key(key, control);
    TdmSingle* dm = SingleModule();
    if (!dm || !control || !startsWithText(control->Name(), "edUDF")) return;
    UDFLookup(dm->cdsMain, dm->cdsMain->FindField(control->Name().substr(2)), control->Name(), "");
}

void TfrmSingle::UDFLookup(plat::TDataSet* dataSet, plat::TField* field,
                           const std::string& controlName, const std::string& gridName) {
    if (!dataSet || !field) return;
    TMT_Doc* settings = GetUserSettings();
    auto setting = [&](const char* property) {
        std::string v;
        if (settings)
            v = gridName.empty()
                    ? settings->GetComponentProperty(controlName, property)
                    : settings->GetFieldProperty(gridName, field->FieldName(), property);
        return v == kNoSetting ? std::string() : v;
    };
    const std::string source = setting("DataSource");
    std::string text;
    bool chosen = false;
    if (!source.empty() && !plat::SameText(source, "Custom")) {
        std::string refFile = setting("RefFileID");
        size_t dash = refFile.find('-');
        plat::Variant window;
        if (Brokers()->CheckValue(
                "F2LINK", "01",
                plat::VarArrayOf({refFile.substr(0, dash),
                                  dash == std::string::npos ? "" : refFile.substr(dash + 1)}),
                window)) {
            plat::Variant conditions = plat::Variant::CreateArray({0, 9});
            std::vector<std::string> condFields = splitList(setting("RefCondID"), ",");
            for (size_t k = 0; k < condFields.size() && k < 10; ++k)
                if (plat::TField* f = dataSet->FindField(condFields[k]))
                    conditions[(int)k] = plat::Variant(f->AsString());
            for (int k = (int)condFields.size(); k < 10; ++k) conditions[k] = plat::Variant("");
            TLookupRequest request;
            request.A = plat::Variant(replyCell(window, 0));
            request.B = plat::Variant(replyCell(window, 1));
            request.Value = conditions;
            request.Text2 = setting("F2Field");
            request.Text3 = setting("F2FieldID");
            request.Text4 = setting("RefFieldID");
            plat::Variant rows = Brokers()->F2GetData(request);
            if (rows.IsArray() && rows.ArrayCount() > 0) {
                plat::Variant first = rows[rows.LowBound(1)];
                for (int k = 0; first.IsArray() && k < first.ArrayCount(); ++k)
                    text += (k ? "," : "") + replyCell(first, k);
                chosen = true;
            }
        }
    } else {
        text = Brokers()->GetPhrase2(field->AsString());
        chosen = !text.empty();
    }
    if (chosen) {
        if (dataSet->State() == plat::dsBrowse) dataSet->Edit();
        SetFieldText(field, text);
    }
}

void TfrmSingle::RequireComboFields() {
    TdmSingle* dm = SingleModule();
    if (!dm) return;
    if (GetUICodePage() == "936" && GetDBCodePage() == "936") return;
    std::vector<std::string> names;
    for (int i = 0; i < ComponentCount(); ++i) {
        plat::TComponent* c = Components(i);
        if (!c->InheritsFrom("TwwDBComboBox") || startsWithText(c->Name(), "cboUDF")) continue;
        auto* control = dynamic_cast<plat::TControl*>(c);
        if (!control || !control->Visible() || ReadOrdProperty(c, "ReadOnly")) continue;
        auto* source = dynamic_cast<plat::TDataSource*>(plat::GetObjectProp(c, "DataSource"));
        if (!source || source->DataSet() != dm->cdsMain) continue;
        plat::TField* field = dm->cdsMain->FindField(ReadStrProperty(c, "DataField"));
        if (!field || field->ReadOnly()) continue;
        if (isListed(highlightRequired_, field)) continue;
        if (RequiredFields.find(field->FieldName()) != std::string::npos) continue;
        names.push_back(field->FieldName());
    }
    if (names.empty()) return;
    std::string list = "cdsMain:";
    for (size_t i = 0; i < names.size(); ++i) list += (i ? "," : "") + names[i];
    AddRequiredFields(list);
}

void TfrmSingle::LoadFieldRules(const std::string& programCode, const std::string& ruleCode,
                                const std::string& filter, TUDFFields& rules) {
    std::string where = filter == "Y" ? " TL012 <> '' " : filter == "N" ? " TL012 = '' " : " 1=1 ";
    std::string sql =
        " SELECT TL006,TL013,TL012 FROM $$ADMTK ADMTK  LEFT JOIN $$ADMTL ADMTL ON TK001 = TL001 "
        "AND TL010 = 'Y'  WHERE " +
        where + " AND TK003 = 'Y' AND TL005 = " + plat::QuotedStr(ruleCode) +
        " AND TL003 = " + plat::QuotedStr(programCode) + " ORDER BY TL011 ";
    TdmSingle* dm = SingleModule();
    for (const plat::Variant& row : replyRows(simpleSql(sql, "TL006,TL013,TL012"))) {
        TUDFField* rule = rules.Add();
        rule->TargetField = plat::Trim(replyCell(row, 0));
        rule->QueryText = replyCell(row, 1);
        for (const std::string& name : splitList(replyCell(row, 2), ";")) {
            TUDFRelatedField* related = rule->RelatedFields().Add();
            related->SourceFieldName = name;
            related->SourceField = dm ? dm->cdsMain->FindField(name) : nullptr;
        }
    }
}

void TfrmSingle::LoadFieldRuleCollection(const std::string& ruleCode, const std::string& filter) {
    fieldRules_ = std::make_unique<TUDFFields>();
    try {
        LoadFieldRules(Brokers()->ProgramCode, ruleCode, filter, *fieldRules_);
    } catch (const std::exception&) {
        // Without rules no field feeds another.
        fieldRules_ = std::make_unique<TUDFFields>();
        return;
    }
    for (int i = 0; i < fieldRules_->Count(); ++i) {
        TUDFRelatedFields& related = fieldRules_->GetItem(i)->RelatedFields();
        for (int k = 0; k < related.Count(); ++k) {
            TUDFRelatedField* r = related.GetItem(k);
            if (!r->SourceField) continue;
            r->SavedOnChange = r->SourceField->OnChange;
            r->SourceField->OnChange =
                plat::TFieldNotifyEvent(this, &TfrmSingle::ApplyUDFRelations);
        }
    }
}

void TfrmSingle::ApplyRuleSet(plat::TDataSet* dataSet, const std::string& ruleCode,
                              const plat::Variant& sourceValues) {
    if (!dataSet) return;
    TUDFFields rules;
    LoadFieldRules(Brokers()->ProgramCode, ruleCode, "", rules);
    const int given = sourceValues.IsArray() ? sourceValues.ArrayCount() : 0;
    for (int i = 0; i < rules.Count(); ++i) {
        TUDFField* rule = rules.GetItem(i);
        plat::TField* target = dataSet->FindField(rule->TargetField);
        if (!target) continue;
        plat::TStringList values;
        TUDFRelatedFields& related = rule->RelatedFields();
        for (int k = 0; k < related.Count(); ++k) {
            TUDFRelatedField* r = related.GetItem(k);
            // The sources are the given values, not the fields of the new record.
            r->SourceField = nullptr;
            values.Add(r->SourceFieldName + "=" +
                       (k < given ? plat::VarToStr(sourceValues[sourceValues.LowBound() + k])
                                  : std::string()));
        }
        std::string text;
        QueryUDFRelatedValue(rule, &values, text);
        SetFieldText(target, text);
    }
}

void TfrmSingle::QueryUDFRelatedValue(TUDFField* rule, const plat::TStringList* values,
                                      std::string& text) {
    text.clear();
    if (!rule) return;
    const TUDFRelatedFields& related = rule->RelatedFields();
    plat::Variant sources = plat::Variant::CreateArray({0, std::max(related.Count() - 1, 0)});
    for (int k = 0; k < related.Count(); ++k) {
        TUDFRelatedField* r = related.GetItem(k);
        sources[k] = plat::Variant(r->SourceField ? r->SourceField->AsString()
                                   : values       ? values->Values(r->SourceFieldName)
                                                  : std::string());
    }
    TBrokers* b = Brokers();
    plat::Variant rows = b->CallServerMethod(
        "QueryUDFData",
        plat::VarArrayOf({plat::Variant(rule->QueryText), plat::Variant(""),
                          plat::Variant(b->SignOnKey), plat::Variant("N"), sources}));
    std::vector<plat::Variant> list = replyRows(rows);
    if (!list.empty()) text = replyCell(list[0], 0);
}

void TfrmSingle::ApplyUDFRelations(plat::TField* field) {
    TdmSingle* dm = SingleModule();
    if (!dm || !field || field->DataSet() != dm->cdsMain || !fieldRules_) return;
    for (int i = 0; i < fieldRules_->Count(); ++i) {
        TUDFField* rule = fieldRules_->GetItem(i);
        TUDFRelatedField* source = rule->RelatedFields().FindByField(field);
        if (!source) continue;
        if (source->SavedOnChange) source->SavedOnChange(field);
        try {
            std::string text;
            QueryUDFRelatedValue(rule, nullptr, text);
            plat::TField* target = dm->cdsMain->FindField(rule->TargetField);
            if (!target) throw plat::Exception("no field " + rule->TargetField);
            SetFieldText(target, text);
        } catch (const std::exception&) {
            Brokers()->ShowMessageCode(
                "E", "000032",
                {plat::Variant(plat::Format(
                    GetLangMessage("TfrmSingle", "sUDFError",
                                   "自定义栏位(%s)赋值错误，可能是类型不匹配！！", true),
                    {plat::Variant(rule->TargetField)}))});
        }
    }
}

plat::TField* TfrmSingle::FindTableField(const std::string& tableName,
                                         const std::string& fieldName) {
    TdmSingle* dm = SingleModule();
    if (!dm || !plat::SameText(tableName, Brokers()->HostParam("M11_TABLE"))) return nullptr;
    return dm->cdsMain->FindField(fieldName);
}

plat::TField* TfrmSingle::FindQualifiedField(const std::string& text) {
    size_t dot = text.find('.');
    if (dot == std::string::npos || text.size() < dot + 2) return nullptr;
    return FindTableField(text.substr(0, dot), text.substr(dot + 1, text.size() - dot - 2));
}

// ---- drill-down links ---------------------------------------------------------

void TfrmSingle::BuildLinkFields() {
    LinkFields.clear();
    if (!DataModule) return;
    try {
        plat::Variant reply = simpleSql(
            "SELECT MR004,MR005 FROM ADMMR WHERE MR001= " + plat::QuotedStr(Brokers()->ProgramCode),
            "MR004,MR005");
        for (const plat::Variant& row : replyRows(reply))
            for (int k = 0; k < 2; ++k) {
                std::string v = plat::Trim(replyCell(row, k));
                if (v.empty() || LinkFields.find(v) != std::string::npos) continue;
                LinkFields += v + kLinkSeparator;
            }
    } catch (const std::exception&) {
        // No link fields: the grid draws no links.
    }
    if (!LinkFields.empty()) LinkFields.pop_back();
}

void TfrmSingle::gdHeadCalcCellColors(plat::TObject*, plat::TField* field, plat::TGridDrawState,
                                      bool highlight, plat::TFont* font, plat::TBrush* brush) {
    if (!font || !field) return;
    font->SetColor(plat::clBlack);
    font->SetStyle({});
    if (!highlight && brush) {
        if (isListed(highlightKeys_, field))
            brush->Color = plat::RGB(0, 200, 200);
        else if (isListed(highlightRequired_, field))
            brush->Color = plat::RGB(255, 255, 175);
    }
    if (FormMode() == TFormMode::Browse && isListed(splitList(LinkFields, "\x03"), field)) {
        font->SetColor(kLinkColor);
        font->SetStyle({plat::TFontStyle::fsUnderline});
    }
    TdmSingle* dm = SingleModule();
    if (ColorManage && headColors_ && dm && dm->cdsMainColor->Active())
        headColors_->CalcCellColors(gdHead, field, dm->KeyFields, GetKeyValueArray(),
                                    dm->cdsMainColor, font, brush);
}

bool TfrmSingle::TrackGridLink(plat::TCustomDataGrid* grid, plat::TShiftState shift, int x, int y,
                               bool needValue) {
    const bool ctrl = shift.Contains(plat::ssCtrl);
    if (!ctrl) grid->SetCursor(plat::crDefault);
    plat::TGridCoord at = grid->MouseCoord(x, y);
    plat::TField* field = nullptr;
    if (at.Y >= grid->TitleOffset() && at.X >= grid->IndicatorOffset())
        if (auto* column = grid->VisibleColumn(at.X - grid->IndicatorOffset()))
            field = column->Field();
    bool linked = field && isListed(splitList(LinkFields, "\x03"), field);
    // The value is the one of the row under the pointer.
    if (linked && needValue) linked = !plat::Trim(grid->CellFieldText(at.X, at.Y)).empty();
    if (linked) {
        grid->SetHint(
            GetLangMessage("TfrmSingle", "sGridHint", "按住CTRL并单击鼠标以跟踪链接", true));
        grid->SetShowHint(true);
        if (ctrl) {
            grid->SetCursor(plat::crHandPoint);
            LinkActive = true;
        }
        return true;
    }
    grid->SetShowHint(false);
    grid->SetCursor(plat::crDefault);
    LinkActive = false;
    return false;
}

void TfrmSingle::FollowArmedLink(plat::TCustomDataGrid* grid, plat::TDataSet* dataSet,
                                 plat::TMouseButton button) {
    if (button != plat::TMouseButton::mbLeft || !LinkActive) return;
    LinkActive = false;
    FollowGridLink(grid, dataSet);
}

void TfrmSingle::DisarmGridLink(plat::TCustomDataGrid* grid) {
    LinkActive = false;
    grid->SetCursor(plat::crDefault);
}

void TfrmSingle::gdHeadMouseMove(plat::TObject*, plat::TShiftState shift, int x, int y) {
    lastMouseX_ = x;
    lastMouseY_ = y;
    if (FormMode() != TFormMode::Browse) return;
    if (!TrackGridLink(gdHead, shift, x, y, false) && ColorManage)
        showRowColorHint(gdHead->MouseCoord(x, y).Y);
}

void TfrmSingle::gdHeadMouseDown(plat::TObject*, plat::TMouseButton button, plat::TShiftState, int,
                                 int) {
    if (TdmSingle* dm = SingleModule()) FollowArmedLink(gdHead, dm->cdsMain, button);
}

void TfrmSingle::gdHeadKeyUp(plat::TObject*, uint16_t&, plat::TShiftState) {
    DisarmGridLink(gdHead);
}

int TfrmSingle::FollowGridLink(plat::TCustomDataGrid* grid, plat::TDataSet* dataSet) {
    if (!grid || !dataSet || !grid->SelectedField()) return 0;
    plat::TCursorGuard hourglass(plat::crHourGlass);
    auto textOf = [dataSet](const std::string& name) {
        plat::TField* f = name.empty() ? nullptr : dataSet->FindField(name);
        return f ? f->AsString() : std::string();
    };
    const std::string F = grid->SelectedField()->FieldName();
    const std::string V = plat::Trim(textOf(F));
    if (V.empty()) return 0;
    const std::string program = Brokers()->ProgramCode;
    std::vector<plat::Variant> rows = replyRows(simpleSql(
        "SELECT * FROM ADMMR AS ADMMR  WHERE MR001='" + escapeQuotes(program) + "' and (MR004='" +
            escapeQuotes(F) + "' or MR005='" + escapeQuotes(F) + "')  order by MR011",
        "MR002,MR003,MR004,MR005,MR006,MR007,MR008,MR009,MR010,MR011"));
    if (rows.empty()) return 0;
    const plat::Variant* chosen = &rows[0];
    std::string selector = plat::Trim(replyCell(rows[0], 1));
    if (!selector.empty()) {
        const std::string S = textOf(selector);
        chosen = nullptr;
        for (const plat::Variant& row : rows)
            if (plat::Trim(replyCell(row, 8)) == S) {
                chosen = &row;
                break;
            }
        if (!chosen) return 0;
    }
    const std::string A = plat::Trim(replyCell(*chosen, 2)), B = plat::Trim(replyCell(*chosen, 3)),
                      P = plat::Trim(replyCell(*chosen, 4)), X = plat::Trim(replyCell(*chosen, 5)),
                      Y = plat::Trim(replyCell(*chosen, 6)),
                      Sep = plat::Trim(replyCell(*chosen, 7));
    const std::string a = escapeQuotes(textOf(A)), b = escapeQuotes(textOf(B));
    const bool sqlServer = SqlType == 0;
    std::string C;
    if (A == B && X == Y) {
        if (a.empty()) return 0;
        C = X + "='" + a + "'";
    } else if (A != B && X != Y) {
        if (a.empty() && b.empty()) return 0;
        C = X + "='" + a + "' and " + Y + "='" + b + "'";
    } else if (A != B) {
        if (a.empty() && b.empty()) return 0;
        C = X + "='" + a + Sep + b + "'";
    } else if (!Sep.empty()) {
        size_t at = a.find(Sep);
        std::string a1 = a.substr(0, at),
                    a2 = at == std::string::npos ? "" : a.substr(at + Sep.size());
        size_t end = a2.find(Sep);
        if (end != std::string::npos) a2 = a2.substr(0, end);
        if (a1.empty() && a2.empty()) return 0;
        if (sqlServer)
            C = "SUBSTRING(" + X + ",1," + std::to_string(a1.size()) + ")" + "+'" + Sep +
                "'+SUBSTRING(" + Y + ",1," + std::to_string(a2.size()) + ")='";
        else
            C = X + "||'" + Sep + "'||" + Y + "='";
        C += a1 + Sep + a2 + "'";
    } else {
        if (a.empty()) return 0;
        // Cut before quoting: a cut through a doubled quote would leave the literal open.
        C = X + (sqlServer ? "+" : "||") + Y + "='" + escapeQuotes(firstChars(textOf(A), 15)) + "'";
    }
    return OpenProgram(P, C);
}

std::string TfrmSingle::QueryLinkValues(const std::string& key) {
    std::string out;
    TBrokers* b = Brokers();
    std::vector<plat::Variant> rows = replyRows(simpleSql(
        "SELECT MR005,MR004,MR007 FROM $$ADMMR WHERE MR001 = " + plat::QuotedStr(b->ProgramCode) +
            " AND MR002 = " + plat::QuotedStr(key),
        "MR005,MR004,MR007"));
    for (const plat::Variant& row : rows) {
        std::string table = plat::Trim(replyCell(row, 0)), field = plat::Trim(replyCell(row, 1)),
                    condition = replyCell(row, 2);
        if (table.empty() || field.empty()) continue;
        plat::Variant values = simpleSql(
            " SELECT " + field + " FROM " + b->SignOnKey + ".." + table + " WHERE " + condition,
            field);
        std::vector<plat::Variant> found = replyRows(values);
        if (found.empty()) continue;
        plat::Variant first = found[0].IsArray() ? found[0][found[0].LowBound(1)] : found[0];
        out += (first.IsText() ? "C," : "N,") + plat::VarToStr(first) + ";";
    }
    return out;
}

}  // namespace ktrb
