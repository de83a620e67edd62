// Components reached by name: published properties read and written by
// property name, dataset events detached and put back around bulk work,
// field writes that lift ReadOnly, and controls coloured, enabled or picked by
// the database field they are bound to. Missing objects, names and properties
// give neutral values and never raise.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/component/component.h"
#include "platform/component/events.h"
#include "platform/core/stringlist.h"
#include "platform/data/datasource.h"

namespace plat {
class TField;
}  // namespace plat

namespace ktrb {

// ---- properties by name -----------------------------------------------------

std::string GetStrPropByName(plat::TObject* object, const std::string& name);
int64_t GetOrdPropByName(plat::TObject* object, const std::string& name);
plat::EventHandle GetMethodPropByName(plat::TObject* object, const std::string& name);
void SetStrPropByName(plat::TObject* object, const std::string& name, const std::string& value);
void SetOrdPropByName(plat::TObject* object, const std::string& name, int64_t value);
void SetMethodPropByName(plat::TObject* object, const std::string& name,
                         const plat::EventHandle& method);
bool HasPropByName(plat::TObject* object, const std::string& name);
// The property's type kind (the component library's numbering), 0 when missing.
int GetPropertyKind(plat::TObject* object, const std::string& name);

// The same under the names the settings and form code use. ReadStrProperty
// leaves `value` as it was when the property is missing.
bool ReadStrProperty(plat::TObject* object, const std::string& name, std::string& value);
std::string ReadStrProperty(plat::TObject* object, const std::string& name);
int64_t ReadOrdProperty(plat::TObject* object, const std::string& name);
void WriteStrProperty(plat::TObject* object, const std::string& name, const std::string& value);
void WriteOrdProperty(plat::TObject* object, const std::string& name, int64_t value);
bool HasProperty(plat::TObject* object, const std::string& name);

// ---- dataset events ---------------------------------------------------------

// The ten events of a data set, in this order: AfterEdit, AfterInsert,
// AfterOpen, AfterPost, BeforeEdit, BeforeInsert, BeforeOpen, BeforePost,
// BeforeScroll, AfterScroll.
struct TDataSetEventRecord {
    std::array<plat::TDataSetNotifyEvent, 10> Events;
};
// The data set's ten, then the data source's OnDataChange and OnStateChange.
struct TDataEventRecord {
    TDataSetEventRecord DataSet;
    plat::TDataChangeEvent OnDataChange;
    plat::TNotifyEvent OnStateChange;
};

// Stores the handlers and clears them; Restore writes them back.
TDataEventRecord SaveDataEvents(plat::TDataSource* source);
void RestoreDataEvents(plat::TDataSource* source, const TDataEventRecord& saved);
TDataSetEventRecord SaveDataSetEvents(plat::TDataSet* dataSet);
void RestoreDataSetEvents(plat::TDataSet* dataSet, const TDataSetEventRecord& saved);

// Detaches a data source's (or a data set's) events for its lifetime and puts
// them back also after an exception.
class TDataEventsDetached {
  public:
    explicit TDataEventsDetached(plat::TDataSource* source);
    explicit TDataEventsDetached(plat::TDataSet* dataSet);
    ~TDataEventsDetached();
    TDataEventsDetached(const TDataEventsDetached&) = delete;
    TDataEventsDetached& operator=(const TDataEventsDetached&) = delete;

  private:
    plat::TDataSource* source_ = nullptr;
    plat::TDataSet* dataSet_ = nullptr;
    TDataEventRecord saved_;
};

// Event properties by name: each element holds a name the object has and the
// handler it had (cleared); names that are empty or missing leave an empty
// element.
struct TSavedMethod {
    std::string Name;
    plat::EventHandle Method;
};
using TSavedMethods = std::vector<TSavedMethod>;
TSavedMethods SaveMethodProps(plat::TObject* object, const std::vector<std::string>& names);
void RestoreMethodProps(plat::TObject* object, const TSavedMethods& saved);

// ---- field writes -----------------------------------------------------------

// Writes the text with the field's ReadOnly lifted (and set back also when the
// write raises; the field's own exception passes on). With useEditText,
// small-integer, integer and float fields parse the text as typed input.
// A text wider than a string field is cut where it does not split a
// character. False for no field.
bool SetFieldText(plat::TField* field, const std::string& text, bool useEditText = false);
// The same with the field's OnValidate detached for the write.
bool SetFieldTextQuiet(plat::TField* field, const std::string& text, bool useEditText = false);
// SetFieldText with the number's float text (FloatToStr); a float field takes
// the value that text reads as without the text being written.
bool SetFieldNumber(plat::TField* field, double value);

// True when the data set exists, is open, browsing and holds a record.
bool IsDataSetBrowsing(plat::TDataSet* dataSet);

// ---- controls ---------------------------------------------------------------

// A list control's items and selection, as the control layer gives them.
class ISelectableItems {
  public:
    virtual ~ISelectableItems() = default;
    virtual int ItemCount() const = 0;
    virtual std::string ItemText(int index) const = 0;
    virtual bool ItemSelected(int index) const = 0;
    virtual void AddItem(const std::string& text) = 0;
};
// Adds every selected source item the target does not hold yet, in order.
void CopySelectedItems(const ISelectableItems& source, ISelectableItems& target);

// What FitGridColumns needs of a data grid (column 0 is the indicator).
class IFitGrid {
  public:
    virtual ~IFitGrid() = default;
    // The data set behind the grid's data source, or null.
    virtual plat::TDataSet* GridDataSet() const = 0;
    // The fields the grid shows.
    virtual int GridFieldCount() const = 0;
    virtual int ColumnWidth(int column) const = 0;
    virtual void SetColumnWidth(int column, int width) = 0;
    virtual int GridClientWidth() const = 0;
    virtual void SetParentClientWidth(int width) = 0;
    // The height of a horizontal scroll bar (SM_CYHSCROLL).
    virtual int HorizontalScrollBarHeight() const = 0;
};
void FitGridColumns(IFitGrid& grid);

// For each data page of the page control (a trailing "TbsBrowse" and before it
// a "TbsUDF" page left out, at most 16 pages), the name of the visible,
// enabled windowed control with the highest tab order placed directly on it;
// lastControl ends as the control of the last such page. Controls are found
// among the components of the page control's owner through their published
// "Parent", "Visible", "Enabled" and "TabOrder"; pages through "Parent" and
// "PageIndex".
void CollectPageLastControls(plat::TComponent* pageControl, plat::TStringList& names,
                             plat::TComponent*& lastControl);

// The colour every component of the form bound (published "DataField") to one
// of the listed fields gets; the grid library's combo boxes, data-aware radio
// groups and TFDbCheckBox take only kRequiredFieldColor. The list stops at its
// first empty item.
inline constexpr int32_t kRequiredFieldColor = 0xC8C800;  // RGB(0, 200, 200)
void ColorControlsByField(plat::TComponent* form, const std::string& fields,
                          const std::string& delimiter, int32_t color);
// Sets "Enabled" of every component bound to one of the listed fields (each
// item cut at its first blank). Empty items are skipped.
void EnableControlsByField(plat::TComponent* form, const std::string& fields,
                           const std::string& delimiter, bool enabled);

}  // namespace ktrb
