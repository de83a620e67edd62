// Colour rules of a document form: the components named in the program's
// colour-manager XML, each with its conditions, and the painting of grid
// cells and header controls from the colour texts the server computed per
// record. The client never evaluates a condition; it only applies texts of
// the form "bkcolor=255;colorx=0;bold=Y;italic=N".
#pragma once
#include <memory>
#include <string>

#include "platform/component/collection.h"
#include "platform/core/variant.h"
#include "platform/ui/graphics.h"

namespace plat {
class TDataSet;
class TField;
class TCustomDataGrid;
}  // namespace plat

namespace ktrb {

class TColorCondition : public plat::TCollectionItem {
    PLAT_CLASS(TColorCondition, plat::TCollectionItem)
  public:
    explicit TColorCondition(plat::TCollection* collection = nullptr);
    void Assign(plat::TPersistent* source) override;

    std::string Value;  // SQL condition with "$$" table prefixes
    std::string ColorX;
    std::string BkColor;
    std::string Msg;
    bool Checked = false;
};

class TColorConditions : public plat::TCollection {
    PLAT_CLASS(TColorConditions, plat::TCollection)
  public:
    TColorConditions();
    TColorCondition* GetItem(int index) const { return ItemAs<TColorCondition>(index); }
    TColorCondition* Add() { return static_cast<TColorCondition*>(TCollection::Add()); }
};

class TColorComponent : public plat::TCollectionItem {
    PLAT_CLASS(TColorComponent, plat::TCollectionItem)
  public:
    explicit TColorComponent(plat::TCollection* collection = nullptr);

    // The form's component of that name; null when the form has none.
    plat::TComponent* Control = nullptr;
    TColorConditions* Conditions() { return &conditions_; }
    std::string Name;
    plat::TFont SavedFont;
    plat::TColor SavedColor = 0;
    // A body column's field component name; empty for a whole control or grid.
    std::string FieldName;

    void SaveControlColors();
    void RestoreControlColors();
    // Colours the control from one colour text; a bad value leaves it
    // readable (white background, plain black font).
    void ApplyColorText(const std::string& colorText);

  private:
    TColorConditions conditions_;
};

class TColorComponents : public plat::TCollection {
    PLAT_CLASS(TColorComponents, plat::TCollection)
  public:
    explicit TColorComponents(plat::TComponent* owner);

    plat::TComponent* Owner() const { return owner_; }
    std::string KeyFields;
    std::string FieldList;

    TColorComponent* GetItem(int index) const { return ItemAs<TColorComponent>(index); }
    TColorComponent* Add() { return static_cast<TColorComponent*>(TCollection::Add()); }
    // First item on the control of that component name with that field name.
    TColorComponent* FindItem(const std::string& controlName, const std::string& fieldName) const;
    TColorComponent* FindByField(const std::string& fieldName) const;

    // Header controls only: grids are coloured cell by cell.
    void SaveColors();
    void RestoreColors();
    // Colours the header controls from the colour data set's current record.
    // A missing colour field raises the data layer's error.
    void ApplyToRecord(plat::TDataSet* colorDataSet);
    // Colours one cell of a grid (brush and the font the cell is painted
    // with) from the colour record of the cell's key values. False when a
    // rule failed; the other rules are still applied.
    bool CalcCellColors(plat::TCustomDataGrid* grid, plat::TField* field,
                        const std::string& keyFields, const plat::Variant& keyValues,
                        plat::TDataSet* colorDataSet, plat::TFont* font, plat::TBrush* brush);

  private:
    plat::TComponent* owner_;
};

// Builds the colour set of one form path ("head" or "body") from the
// colour-manager XML. A blank text gives an empty set; a text that is not
// XML raises "颜色管理xml格式错误".
std::unique_ptr<TColorComponents> LoadColorComponents(plat::TComponent* owner,
                                                      const std::string& xml,
                                                      const std::string& path);

// The browse condition narrowed to the records of the ticked conditions
// ("(condition) and ( ( rule ) or  ( rule ) )"), with every "$$" table
// prefix given the company database. Nothing ticked leaves it as it is.
std::string AddColorFilter(const std::string& browseCondition, const TColorConditions& conditions,
                           const std::string& companyDb);

// The value of a key in a colour text; a lone apostrophe counts as empty.
std::string GetColorTextValue(const std::string& colorText, const std::string& key);
// A colour text value: signed decimal or "$" hexadecimal (32 bits, so the
// system colours' "$800000nn" reads too); raises EConvertError.
plat::TColor ColorFromText(const std::string& text);
// The RGB complement; a system colour is first resolved to its RGB value.
plat::TColor ComplementColor(plat::TColor color);
// The published Color of a component; white when it has none.
plat::TColor GetControlColor(plat::TComponent* control);
// The published Font of a component when it is a font object.
plat::TFont* GetControlFont(plat::TComponent* control);
void SetControlColor(plat::TComponent* control, plat::TColor color);

}  // namespace ktrb
