#include "platform/data/dataset.h"

#include <algorithm>

#include "platform/component/properties.h"
#include "platform/core/exceptions.h"
#include "platform/core/text.h"
#include "platform/data/datasource.h"
#include "platform/data/filterexpr.h"
#include "platform/data/store.h"

namespace plat {

using store::kNil;
using store::SlotState;

// A parent value that no detail row carries: the detail of a master
// without a current record shows nothing.
constexpr uint32_t kNoParent = 0xFFFFFFFEu;

// Puts a dataset into a passing state (calculating, filtering) without
// events, and back again also after an exception.
class StateSwap {
  public:
    StateSwap(TDataSetState& state, TDataSetState temporary) : state_(state), saved_(state) {
        state = temporary;
    }
    ~StateSwap() { state_ = saved_; }
    StateSwap(const StateSwap&) = delete;
    StateSwap& operator=(const StateSwap&) = delete;

  private:
    TDataSetState& state_;
    TDataSetState saved_;
};

// ---- TFields ----

TField* TFields::operator[](int i) const {
    if (i < 0 || i >= (int)list_.size())
        throw EListError("List index out of bounds (" + std::to_string(i) + ")");
    return list_[i];
}

TField* TFields::FindField(const std::string& name) const {
    if (byName_.empty() && !list_.empty()) {
        byName_.reserve(list_.size());
        for (TField* f : list_) byName_.emplace(UpperCase(f->FieldName()), f);
    }
    auto it = byName_.find(UpperCase(name));
    return it == byName_.end() ? nullptr : it->second;
}

int TFields::IndexOf(const TField* f) const {
    auto it = std::find(list_.begin(), list_.end(), f);
    return it == list_.end() ? -1 : (int)(it - list_.begin());
}

// ---- construction ----

TDataSet::TDataSet(TComponent* owner)
    : TComponent(owner), edit_(std::make_unique<store::RowEdit>()) {}

TDataSet::~TDataSet() {
    destroyingDataSet_ = true;
    if (Active()) SetActive(false);
    if (dataSetField_) SetDataSetField(nullptr);
    for (TDataSource* s : std::vector<TDataSource*>(dataSources_)) s->SetDataSet(nullptr);
    while (!fields_.list_.empty()) delete fields_.list_.back();
    BeginDestroy();
}

void TDataSet::Notification(TComponent* c, TOperation op) {
    if (op != TOperation::opRemove || c != dataSetField_) return;
    if (Active()) SetActive(false);
    auto& d = dataSetField_->details_;
    d.erase(std::remove(d.begin(), d.end(), this), d.end());
    dataSetField_ = nullptr;
}

[[noreturn]] void TDataSet::Error(const std::string& message) const {
    throw EDatabaseError(Name().empty() ? message : Name() + ": " + message);
}

void TDataSet::CheckActive() const {
    if (state_ == dsInactive) Error("Cannot perform this operation on a closed dataset");
}

TField* TDataSet::FieldByName(const std::string& name) const {
    TField* f = FindField(name);
    if (!f) Error("Field '" + name + "' not found");
    return f;
}

std::vector<TField*> TDataSet::GetFieldList(const std::string& names) const {
    std::vector<TField*> out;
    for (const std::string& n : SplitFieldNames(names)) out.push_back(FieldByName(n));
    return out;
}

Variant TDataSet::FieldValues(const std::string& names) const {
    auto list = GetFieldList(names);
    if (list.size() == 1) return list[0]->Value();
    Variant a = Variant::CreateArray({0, (int)list.size() - 1});
    for (size_t i = 0; i < list.size(); ++i) a[(int)i] = list[i]->Value();
    return a;
}

void TDataSet::SetFieldValues(const std::string& names, const Variant& values) {
    auto list = GetFieldList(names);
    if (list.size() == 1 && !values.IsArray()) {
        list[0]->SetValue(values);
        return;
    }
    std::vector<Variant> v = keyArray(values, list.size());
    for (size_t i = 0; i < list.size(); ++i) list[i]->SetValue(v[i]);
}

void TDataSet::SetDataSetField(TDataSetField* f) {
    if (f == dataSetField_) return;
    if (Active()) Error("Cannot perform this operation on an open dataset");
    if (f && f->DataSet() == this) Error("Circular datalinks are not allowed");
    if (dataSetField_) {
        auto& d = dataSetField_->details_;
        d.erase(std::remove(d.begin(), d.end(), this), d.end());
        RemoveFreeNotification(dataSetField_);
    }
    dataSetField_ = f;
    if (f) {
        f->details_.push_back(this);
        FreeNotification(f);
    }
}

TDataSet* TDataSet::Master() const {
    return dataSetField_ ? dataSetField_->DataSet() : nullptr;
}

TDataSet* TDataSet::TopDataSet() {
    TDataSet* d = this;
    while (d->Master()) d = d->Master();
    return d;
}

// ---- data events ----

void TDataSet::DataEvent(TDataEvent event, TField* field, int info) {
    if (event == TDataEvent::deUpdateState || disableCount_ == 0) {
        for (TDataSource* s : std::vector<TDataSource*>(dataSources_))
            s->dataEvent(event, field, info);
    } else {
        pendingChange_ = true;
    }
}

void TDataSet::DisableControls() {
    ++disableCount_;
}

void TDataSet::EnableControls() {
    if (disableCount_ > 0 && --disableCount_ == 0 && pendingChange_) {
        pendingChange_ = false;
        DataEvent(TDataEvent::deDataSetChange);
    }
}

void TDataSet::UpdateRecord() {
    if (state_ != dsEdit && state_ != dsInsert) Error("Dataset not in edit or insert mode");
    DataEvent(TDataEvent::deUpdateRecord);
}

void TDataSet::fieldFreed(TField* f) {
    for (TDataSource* s : std::vector<TDataSource*>(dataSources_))
        for (TDataLink* l : std::vector<TDataLink*>(s->Links()))
            if (auto* fl = dynamic_cast<TFieldDataLink*>(l); fl && fl->Field() == f)
                fl->updateField();
}

std::vector<TComponent*> TDataSet::BoundControls(const TField* f) const {
    std::vector<TComponent*> out;
    for (TDataSource* s : dataSources_)
        for (TDataLink* l : s->Links())
            if (auto* fl = dynamic_cast<TFieldDataLink*>(l); fl && fl->Field() == f && fl->Control)
                out.push_back(fl->Control);
    return out;
}

void TDataSet::SetState(TDataSetState s) {
    if (state_ == s) return;
    state_ = s;
    DataEvent(TDataEvent::deUpdateState);
}

// ---- open and close ----

void TDataSet::AttachTree(std::shared_ptr<store::DataTree> tree, int level) {
    tree_ = std::move(tree);
    level_ = level;
    tree_->cursors.push_back(this);
}

void TDataSet::OpenStore() {
    if (dataSetField_) {
        TDataSet* m = Master();
        if (!m || !m->Active()) Error("Cannot open a nested dataset while its master is closed");
        int col = dataSetField_->column_;
        int level = col < 0 ? -1 : m->tree_->L(m->level_).ChildLevel(col);
        if (level < 0) Error("Field '" + dataSetField_->FieldName() + "' holds no nested rows");
        AttachTree(m->tree_, level);
        uint32_t p = m->CurrentSlot();
        parentSlot_ = p == kNil ? kNoParent : p;
        BindFields();
        return;
    }
    std::vector<TPacketField> defs = fieldDefs_.ToPacketFields();
    if (defs.empty()) {
        for (TField* f : fields_)
            if (f->IsDataField()) {
                TPacketField p = PacketField(f->FieldName(), f->DataType(), f->Size());
                p.required = f->Required();
                defs.push_back(p);
            }
    }
    if (defs.empty()) Error("Missing data provider or data packet");
    AttachTree(std::make_shared<store::DataTree>(defs), 0);
    BindFields();
}

static bool compatible(TFieldType fieldType, TFieldType columnType) {
    if (fieldType == columnType) return true;
    auto group = [](TFieldType t) {
        if (IsTextType(t)) return 1;
        if (IsNumericType(t)) return 2;
        if (t == TFieldType::ftDate || t == TFieldType::ftTime || t == TFieldType::ftDateTime)
            return 3;
        if (t == TFieldType::ftBlob || t == TFieldType::ftBytes) return 4;
        return 10 + (int)t;
    };
    return fieldType == TFieldType::ftVariant || group(fieldType) == group(columnType) ||
           (group(fieldType) == 4 && group(columnType) == 1) ||
           (group(fieldType) == 1 && group(columnType) == 4);
}

void TDataSet::createDefaultFields() {
    const store::Level& L = tree_->L(level_);
    for (const TPacketField& p : L.Fields()) {
        TField* f = CreateField(p.type, this);
        f->fieldName_ = p.name;
        if (p.size > 0 || !IsTextType(p.type)) f->size_ = p.size;
        f->required_ = p.required;
        f->readOnly_ = p.readOnly;
        f->visible_ = !p.hidden;
        f->dataSet_ = this;
        fields_.list_.push_back(f);
        fields_.changed();
    }
    defaultFields_ = true;
}

void TDataSet::BindFields() {
    const store::Level& L = tree_->L(level_);
    if (defaultFields_) {
        // Default fields are kept across a close while the structure stays the
        // same, so that nested datasets stay bound to them.
        bool same = fields_.Count() == L.ColumnCount();
        for (int i = 0; same && i < L.ColumnCount(); ++i)
            same = SameText(fields_[i]->FieldName(), L.Fields()[i].name) &&
                   fields_[i]->DataType() == L.Fields()[i].type;
        if (!same) {
            while (!fields_.list_.empty()) delete fields_.list_.back();
            defaultFields_ = false;
        }
    }
    if (fields_.Count() == 0) createDefaultFields();
    calcCount_ = 0;
    for (TField* f : fields_) {
        f->column_ = -1;
        f->calcSlot_ = -1;
        switch (f->kind_) {
            case TFieldKind::fkData: {
                int col = L.FindColumn(f->FieldName());
                if (col < 0) Error("Field '" + f->FieldName() + "' not found");
                TFieldType ct = L.Fields()[col].type;
                if (!compatible(f->DataType(), ct))
                    Error(std::string("Type mismatch for field '") + f->FieldName() +
                          "', expecting: " + FieldTypeName(f->DataType()) +
                          " actual: " + FieldTypeName(ct));
                f->column_ = col;
                break;
            }
            case TFieldKind::fkCalculated:
            case TFieldKind::fkInternalCalc:
            case TFieldKind::fkLookup:
                f->calcSlot_ = calcCount_++;
                break;
            case TFieldKind::fkAggregate:
                break;
        }
    }
    calc_.assign(calcCount_, Variant::Null());
    calcValid_ = false;
    nestedFields_.clear();
    for (TField* f : fields_)
        if (auto* df = dynamic_cast<TDataSetField*>(f)) nestedFields_.push_back(df);
}

void TDataSet::freeFieldsOf(bool unbindOnly) {
    if (unbindOnly) {
        for (TField* f : fields_) f->column_ = -1;
        return;
    }
    while (!fields_.list_.empty()) delete fields_.list_.back();
    defaultFields_ = false;
}

void TDataSet::SetActive(bool on) {
    if (on == Active()) return;
    if (on) {
        BeforeOpen(this);
        try {
            OpenStore();
            if (!indexFieldNames_.empty() || !indexName_.empty()) rebuildIndex();
        } catch (...) {
            dropIndex();
            if (tree_) {
                auto& c = tree_->cursors;
                c.erase(std::remove(c.begin(), c.end(), this), c.end());
            }
            tree_.reset();
            freeFieldsOf(true);
            throw;
        }
        state_ = dsBrowse;
        ResetCursor();
        DataEvent(TDataEvent::deUpdateState);
        DataEvent(TDataEvent::deDataSetChange);
        openDetails();
        AfterOpen(this);
        if (!IsEmpty()) AfterScroll(this);
        return;
    }
    if (!destroyingDataSet_) BeforeClose(this);
    closeDetails();
    if (state_ == dsEdit || state_ == dsInsert) discardEdit();
    CloseStore();
    dropIndex();
    if (tree_) {
        auto& c = tree_->cursors;
        c.erase(std::remove(c.begin(), c.end(), this), c.end());
    }
    tree_.reset();
    level_ = 0;
    parentSlot_ = kNil;
    curSlot_ = kNil;
    filterValid_ = false;
    freeFieldsOf(true);
    state_ = dsInactive;
    bof_ = eof_ = true;
    DataEvent(TDataEvent::deUpdateState);
    if (!destroyingDataSet_) AfterClose(this);
}

void TDataSet::openDetails() {
    for (TDataSetField* df : nestedFields_)
        for (TDataSet* d : std::vector<TDataSet*>(df->details_))
            if (d->reopenWithMaster_ && !d->Active()) {
                d->reopenWithMaster_ = false;
                d->Open();
            }
}

void TDataSet::closeDetails() {
    for (TDataSetField* df : nestedFields_)
        for (TDataSet* d : std::vector<TDataSet*>(df->details_))
            if (d->Active()) {
                d->Close();
                d->reopenWithMaster_ = !destroyingDataSet_;
            }
}

// ---- cursor over the store ----

TDataSet::Range TDataSet::range() const {
    const store::Level& L = tree_->L(level_);
    if (rangeVersion_ == L.Version() && rangeParent_ == parentSlot_) return rangeCache_;
    const store::OrderTree& t = index_ ? *index_ : const_cast<store::Level&>(L).Natural();
    auto [first, end] = L.Range(t, parentSlot_);
    rangeCache_ = {first, end};
    rangeVersion_ = L.Version();
    rangeParent_ = parentSlot_;
    return rangeCache_;
}

bool TDataSet::filterActive() const {
    return filtered_ && (filterExpr_ || onFilterRecord_);
}

int TDataSet::count() const {
    if (!tree_) return 0;
    if (filterActive()) {
        refreshFilter();
        return (int)filterRows_.size();
    }
    Range r = range();
    return (int)(r.end - r.first);
}

uint32_t TDataSet::slotAt(int pos) const {
    if (filterActive()) {
        refreshFilter();
        return pos >= 0 && pos < (int)filterRows_.size() ? filterRows_[pos] : kNil;
    }
    Range r = range();
    if (pos < 0 || r.first + (uint32_t)pos >= r.end) return kNil;
    const store::Level& L = tree_->L(level_);
    const store::OrderTree& t = index_ ? *index_ : const_cast<store::Level&>(L).Natural();
    return t.At(r.first + (uint32_t)pos);
}

int TDataSet::posOf(uint32_t slot) const {
    if (slot == kNil || !tree_) return -1;
    const store::Level& L = tree_->L(level_);
    if (slot >= L.SlotCount() || L.At(slot).state != SlotState::Live ||
        L.At(slot).parent != parentSlot_)
        return -1;
    if (filterActive()) {
        refreshFilter();
        auto it = filterPos_.find(slot);
        return it == filterPos_.end() ? -1 : it->second;
    }
    const store::OrderTree& t = index_ ? *index_ : const_cast<store::Level&>(L).Natural();
    int64_t rank = t.Rank(slot);
    Range r = range();
    if (rank < (int64_t)r.first || rank >= (int64_t)r.end) return -1;
    return (int)(rank - r.first);
}

int TDataSet::curPos() const {
    if (!tree_) return -1;
    int n = count();
    if (n == 0) {
        curSlot_ = kNil;
        pos_ = -1;
        return -1;
    }
    const store::Level& L = tree_->L(level_);
    if (posVersion_ == L.Version() && pos_ >= 0 && pos_ < n) return pos_;
    int p = -1;
    if (curSlot_ != kNil && L.IsLive({curSlot_, curGen_})) p = posOf(curSlot_);
    if (p < 0) {
        p = std::max(0, std::min(pos_, n - 1));
        curSlot_ = slotAt(p);
        curGen_ = L.At(curSlot_).gen;
    }
    pos_ = p;
    posVersion_ = L.Version();
    return pos_;
}

void TDataSet::setPos(int pos) {
    const store::Level& L = tree_->L(level_);
    pos_ = pos;
    curSlot_ = slotAt(pos);
    curGen_ = curSlot_ == kNil ? 0 : L.At(curSlot_).gen;
    posVersion_ = L.Version();
    calcValid_ = false;
}

void TDataSet::PositionAt(uint32_t slot) {
    const store::Level& L = tree_->L(level_);
    if (slot != kNil && slot < L.SlotCount() && L.At(slot).state == SlotState::Live) {
        curSlot_ = slot;
        curGen_ = L.At(slot).gen;
        posVersion_ = 0;
        int p = posOf(slot);
        if (p >= 0) pos_ = p;
    }
    calcValid_ = false;
}

void TDataSet::ResetCursor() {
    pos_ = 0;
    curSlot_ = kNil;
    posVersion_ = 0;
    rangeVersion_ = 0;
    filterValid_ = false;
    calcValid_ = false;
    int n = count();
    if (n > 0) setPos(0);
    bof_ = true;
    eof_ = n == 0;
}

uint32_t TDataSet::CurrentSlot() const {
    if (state_ == dsInsert) return pendingSlot_;
    if (state_ == dsFilter) return filterSlot_;
    return curPos() >= 0 ? curSlot_ : kNil;
}

std::optional<std::vector<double>> TDataSet::RangeSums(const std::vector<TField*>& fields,
                                                       bool integerParts) {
    CheckActive();
    std::vector<int> columns;
    for (const TField* f : fields) {
        if (!f || f->dataSet_ != this || f->kind_ != TFieldKind::fkData || f->column_ < 0)
            Error("Only data fields of the dataset can be summed");
        columns.push_back(f->column_);
    }
    const store::RunningSums& sums = tree_->L(level_).Sums(columns, integerParts);
    if (!sums.Usable()) return std::nullopt;
    return sums.Totals(parentSlot_);
}

uint32_t TDataSet::ParentSlot() const {
    return parentSlot_;
}

void TDataSet::NotifyCursors() {
    if (!tree_) return;
    for (void* p : std::vector<void*>(tree_->cursors)) {
        auto* c = static_cast<TDataSet*>(p);
        if (c != this && c->level_ == level_ && c->Active())
            c->DataEvent(TDataEvent::deDataSetChange);
    }
}

void TDataSet::AfterStoreChanged(bool moved) {
    posVersion_ = 0;
    rangeVersion_ = 0;
    filterValid_ = false;
    calcValid_ = false;
    if (moved) detailsParentChanged();
    NotifyCursors();
}

bool TDataSet::IsEmpty() const {
    if (state_ == dsInsert) return false;
    return count() == 0;
}

int TDataSet::RecordCount() const {
    CheckActive();
    return count();
}

int TDataSet::RecNo() const {
    if (peekSlot_ != kNil) return peekPos_ + 1;
    if (state_ == dsInactive || state_ == dsInsert) return -1;
    int p = curPos();
    return p < 0 ? -1 : p + 1;
}

int TDataSet::DisplayRowCount() const {
    if (state_ == dsInactive) return 0;
    return count() + (state_ == dsInsert ? 1 : 0);
}

int TDataSet::CursorRow() const {
    if (state_ == dsInactive) return -1;
    if (state_ == dsInsert) return insertPos_;
    return curPos();
}

bool TDataSet::BeginPeek(int row) const {
    EndPeek();
    if (state_ == dsInactive || row < 0) return false;
    int cur = CursorRow();
    if (row == cur) return false;
    int pos = state_ == dsInsert && row > insertPos_ ? row - 1 : row;
    uint32_t slot = slotAt(pos);
    if (slot == kNil) return false;
    peekSlot_ = slot;
    peekPos_ = pos;
    return true;
}

void TDataSet::EndPeek() const {
    peekSlot_ = kNil;
    peekPos_ = -1;
}

TBookmark TDataSet::BookmarkOfRow(int row) const {
    if (state_ == dsInactive || row < 0) return {};
    if (state_ == dsInsert) {
        if (row == insertPos_) return {};
        if (row > insertPos_) --row;
    }
    uint32_t slot = slotAt(row);
    if (slot == kNil) return {};
    return {slot, tree_->L(level_).At(slot).gen};
}

void TDataSet::SetRecNo(int recNo) {
    CheckBrowseMode();
    int cur = RecNo();
    if (recNo < 1 || recNo > count() || recNo == cur) return;
    MoveBy(recNo - cur);
}

// ---- navigation ----

void TDataSet::First() {
    CheckBrowseMode();
    BeforeScroll(this);
    int n = count();
    if (n > 0) setPos(0);
    bof_ = true;
    eof_ = n == 0;
    DataEvent(TDataEvent::deDataSetChange);
    detailsParentChanged();
    AfterScroll(this);
}

void TDataSet::Last() {
    CheckBrowseMode();
    BeforeScroll(this);
    while (FetchMore()) {
    }
    int n = count();
    if (n > 0) setPos(n - 1);
    eof_ = true;
    bof_ = n == 0;
    DataEvent(TDataEvent::deDataSetChange);
    detailsParentChanged();
    AfterScroll(this);
}

int TDataSet::MoveBy(int distance) {
    CheckBrowseMode();
    int moved = 0;
    BeforeScroll(this);
    if ((distance > 0 && !eof_) || (distance < 0 && !bof_)) {
        int p = curPos();
        int n = count();
        if (n > 0) {
            if (p < 0) p = 0;
            int64_t target = (int64_t)p + distance;
            while (target >= n && FetchMore()) n = count();
            bof_ = eof_ = false;
            if (target >= n) {
                target = n - 1;
                eof_ = true;
            } else if (target < 0) {
                target = 0;
                bof_ = true;
            }
            moved = (int)(target - p);
            if (moved != 0) {
                setPos((int)target);
                DataEvent(TDataEvent::deDataSetScroll, nullptr, moved);
                detailsParentChanged();
            }
        } else {
            bof_ = eof_ = true;
        }
    }
    AfterScroll(this);
    return moved;
}

TBookmark TDataSet::GetBookmark() const {
    if (state_ == dsInactive || state_ == dsInsert || curPos() < 0) return TBookmark{};
    return TBookmark{curSlot_, curGen_};
}

bool TDataSet::BookmarkValid(const TBookmark& b) const {
    if (!b.Assigned() || !tree_) return false;
    const store::Level& L = tree_->L(level_);
    return L.IsLive({b.slot, b.gen}) && posOf(b.slot) >= 0;
}

void TDataSet::GotoBookmark(const TBookmark& b) {
    CheckBrowseMode();
    if (!BookmarkValid(b)) Error("Record not found");
    BeforeScroll(this);
    setPos(posOf(b.slot));
    bof_ = eof_ = false;
    DataEvent(TDataEvent::deDataSetChange);
    detailsParentChanged();
    AfterScroll(this);
}

int TDataSet::CompareBookmarks(const TBookmark& a, const TBookmark& b) const {
    int pa = BookmarkValid(a) ? posOf(a.slot) : -1;
    int pb = BookmarkValid(b) ? posOf(b.slot) : -1;
    return pa < pb ? -1 : (pa > pb ? 1 : 0);
}

// ---- edit states ----

void TDataSet::masterIntoEdit() {
    TDataSet* m = Master();
    if (m && m->state_ == dsBrowse) m->Edit();
}

void TDataSet::masterTouched() {
    TDataSet* m = Master();
    if (m && (m->state_ == dsEdit || m->state_ == dsInsert)) m->modified_ = true;
}

void TDataSet::checkDetailsBrowseMode() {
    for (TDataSetField* df : nestedFields_)
        for (TDataSet* d : std::vector<TDataSet*>(df->details_))
            if (d->Active() && (d->state_ == dsEdit || d->state_ == dsInsert)) d->CheckBrowseMode();
}

void TDataSet::postDetails() {
    checkDetailsBrowseMode();
}

void TDataSet::cancelDetails() {
    for (TDataSetField* df : nestedFields_)
        for (TDataSet* d : std::vector<TDataSet*>(df->details_))
            if (d->Active() && (d->state_ == dsEdit || d->state_ == dsInsert)) d->Cancel();
}

void TDataSet::detailsParentChanged() {
    for (TDataSetField* df : nestedFields_)
        for (TDataSet* d : std::vector<TDataSet*>(df->details_))
            if (d->Active()) d->parentChanged();
}

void TDataSet::parentChanged() {
    TDataSet* m = Master();
    if (!m || !tree_) return;
    if ((state_ == dsEdit || state_ == dsInsert)) {
        discardEdit();
        SetState(dsBrowse);
    }
    uint32_t p = m->CurrentSlot();
    uint32_t np = p == kNil ? kNoParent : p;
    parentSlot_ = np;
    ResetCursor();
    DataEvent(TDataEvent::deDataSetChange);
    detailsParentChanged();
    AfterScroll(this);
}

void TDataSet::CheckBrowseMode() {
    CheckActive();
    DataEvent(TDataEvent::deCheckBrowseMode);
    if (state_ == dsEdit || state_ == dsInsert) {
        checkDetailsBrowseMode();
        if (modified_)
            Post();
        else
            Cancel();
    }
}

void TDataSet::Edit() {
    if (state_ == dsEdit || state_ == dsInsert) return;
    CheckActive();
    if (count() == 0) {
        Insert();
        return;
    }
    CheckBrowseMode();
    if (!CanModify()) Error("Cannot modify a read-only dataset");
    BeforeEdit(this);
    masterIntoEdit();
    uint32_t slot = CurrentSlot();
    const store::Level& L = tree_->L(level_);
    edit_->Begin(L.At(slot).data, L.ColumnCount());
    editSlot_ = slot;
    editGen_ = L.At(slot).gen;
    savepoint_ = takeSavepoint();
    modified_ = false;
    calcValid_ = false;
    SetState(dsEdit);
    AfterEdit(this);
}

// Only a record with details needs a savepoint (its Cancel undoes what its
// details changed meanwhile); others keep their edit in the buffer and drop
// their own new row, so that posts of other cursors meanwhile stay.
int TDataSet::takeSavepoint() {
    return tree_->L(level_).NestedColumns().empty() ? 0 : tree_->PushSavepoint();
}

void TDataSet::discardEdit() {
    if (savepoint_)
        tree_->RollbackTo(savepoint_);
    else if (pendingSlot_ != kNil)
        tree_->DropPending(level_, pendingSlot_);
    savepoint_ = 0;
    edit_->Clear();
    pendingSlot_ = kNil;
    modified_ = false;
}

void TDataSet::Insert() {
    beginEditState(dsInsert);
}

void TDataSet::Append() {
    beginEditState(dsBrowse);
}

// mode dsInsert: before the current record; dsBrowse: at the end.
void TDataSet::beginEditState(TDataSetState mode) {
    CheckActive();
    if (!CanModify()) Error("Cannot modify a read-only dataset");
    CheckBrowseMode();
    BeforeInsert(this);
    BeforeScroll(this);
    masterIntoEdit();
    if (Master() && parentSlot_ == kNoParent) {
        uint32_t p = Master()->CurrentSlot();
        if (p != kNil) parentSlot_ = p;
    }
    if (parentSlot_ == kNoParent) Error("Cannot insert a record without a master record");
    bool append = mode == dsBrowse;
    int n = count();
    int p = curPos();
    beforeInsertSlot_ = p >= 0 ? curSlot_ : kNil;
    savepoint_ = takeSavepoint();
    int64_t order;
    if (append || n == 0 || p < 0) {
        order = tree_->OrderAtEnd(level_, parentSlot_);
        insertPos_ = n;
    } else {
        order = tree_->OrderBefore(level_, curSlot_);
        insertPos_ = p;
    }
    pendingSlot_ = tree_->NewPending(level_, parentSlot_, order);
    edit_->Begin(nullptr, tree_->L(level_).ColumnCount());
    modified_ = false;
    calcValid_ = false;
    bof_ = eof_ = false;
    SetState(dsInsert);
    detailsParentChanged();
    try {
        OnNewRecord(this);
    } catch (...) {
        if (state_ == dsInsert) {
            cancelDetails();
            discardEdit();
            SetState(dsBrowse);
            PositionAt(beforeInsertSlot_);
            bof_ = eof_ = count() == 0;
            AfterStoreChanged(true);
        }
        throw;
    }
    if (state_ != dsInsert) return;  // cancelled inside OnNewRecord
    modified_ = false;
    DataEvent(TDataEvent::deDataSetChange);
    AfterInsert(this);
    AfterScroll(this);
}

void TDataSet::validateRequired() {
    for (TField* f : fields_)
        if (f->Required() && f->IsDataField() && f->DataType() != TFieldType::ftDataSet &&
            edit_->Get(f->column_).IsEmptyOrNull()) {
            f->FocusControl();
            Error("Field '" + f->DisplayLabel() + "' must have a value");
        }
}

void TDataSet::Post() {
    if (state_ != dsEdit && state_ != dsInsert) {
        CheckActive();
        return;
    }
    UpdateRecord();
    postDetails();
    if (state_ != dsEdit && state_ != dsInsert) return;
    BeforePost(this);
    if (state_ != dsEdit && state_ != dsInsert) return;
    validateRequired();
    bool inserted = state_ == dsInsert;
    // Another cursor over the same rows may have removed the record meanwhile.
    if (!inserted && !tree_->L(level_).IsLive({editSlot_, editGen_}))
        Error("Record not found or changed by another user");
    char* block = edit_->Encode();
    uint32_t slot;
    bool changed = true;
    if (inserted) {
        slot = pendingSlot_;
        tree_->PostInsert(level_, slot, block);
        pendingSlot_ = kNil;
    } else {
        slot = editSlot_;
        changed = tree_->PostModify(level_, slot, block);
    }
    tree_->ReleaseSavepoint(savepoint_);
    savepoint_ = 0;
    edit_->Clear();
    modified_ = false;
    if (changed) masterTouched();
    state_ = dsBrowse;
    PositionAt(slot);
    AfterStoreChanged(inserted);
    bof_ = eof_ = count() == 0;
    DataEvent(TDataEvent::deUpdateState);
    DataEvent(TDataEvent::deDataSetChange);
    AfterPost(this);
}

void TDataSet::Cancel() {
    if (state_ != dsEdit && state_ != dsInsert) return;
    BeforeCancel(this);
    if (state_ != dsEdit && state_ != dsInsert) return;
    cancelDetails();
    bool wasInsert = state_ == dsInsert;
    discardEdit();
    state_ = dsBrowse;
    if (wasInsert) {
        PositionAt(beforeInsertSlot_);
        bof_ = eof_ = count() == 0;
    }
    AfterStoreChanged(true);
    DataEvent(TDataEvent::deUpdateState);
    DataEvent(TDataEvent::deDataSetChange);
    AfterCancel(this);
}

void TDataSet::Delete() {
    CheckActive();
    if (state_ == dsInsert) {
        Cancel();
        return;
    }
    if (count() == 0) Error("Cannot perform this operation on an empty dataset");
    if (!CanModify()) Error("Cannot modify a read-only dataset");
    DataEvent(TDataEvent::deCheckBrowseMode);
    BeforeDelete(this);
    BeforeScroll(this);
    masterIntoEdit();
    uint32_t slot = CurrentSlot();
    int p = curPos();
    if (state_ == dsEdit) {
        cancelDetails();
        discardEdit();
    }
    tree_->Delete(level_, slot);
    modified_ = false;
    masterTouched();
    state_ = dsBrowse;
    pos_ = p;
    curSlot_ = kNil;
    AfterStoreChanged(true);
    int n = count();
    bof_ = n == 0;
    eof_ = n == 0;
    DataEvent(TDataEvent::deUpdateState);
    DataEvent(TDataEvent::deDataSetChange);
    AfterDelete(this);
    AfterScroll(this);
}

// ---- field values ----

Variant TDataSet::ReadField(const TField* f) const {
    if (state_ == dsInactive) Error("Cannot perform this operation on a closed dataset");
    switch (f->kind_) {
        case TFieldKind::fkData: {
            if (f->column_ < 0) return Variant::Null();
            if (peekSlot_ != kNil) return tree_->L(level_).Value(peekSlot_, f->column_);
            TDataSetState s = state_ == dsCalcFields ? calcBase_ : state_;
            if (s == dsEdit || s == dsInsert) return edit_->Get(f->column_);
            uint32_t slot = s == dsFilter ? filterSlot_ : CurrentSlot();
            if (slot == kNil) return Variant::Null();
            return tree_->L(level_).Value(slot, f->column_);
        }
        case TFieldKind::fkAggregate:
            return computeAggregate(f);
        default:
            break;
    }
    // Lookup values are not kept: OnCalcFields reads them as they are now.
    if (f->kind_ == TFieldKind::fkLookup) return computeLookup(f);
    if (state_ == dsCalcFields) return calc_[f->calcSlot_];
    uint32_t slot = peekSlot_ != kNil                        ? peekSlot_
                    : state_ == dsEdit || state_ == dsInsert ? kNil - 2
                                                             : CurrentSlot();
    uint64_t version = tree_->L(level_).Version();
    if (!calcValid_ || calcSlot_ != slot || (slot != kNil - 2 && calcVersion_ != version)) {
        calcSlot_ = slot;
        calcVersion_ = version;
        calcValid_ = true;
        fireCalcFields();
    }
    return calc_[f->calcSlot_];
}

void TDataSet::fireCalcFields() const {
    if (inCalc_) return;
    auto* self = const_cast<TDataSet*>(this);
    for (auto& v : calc_) v = Variant::Null();
    if (!OnCalcFields) return;
    if (CurrentSlot() == kNil && state_ != dsEdit && state_ != dsInsert) return;
    calcBase_ = state_;
    struct Flag {
        bool& f;
        explicit Flag(bool& x) : f(x) { f = true; }
        ~Flag() { f = false; }
    } calculating(inCalc_);
    StateSwap swap(self->state_, dsCalcFields);
    self->OnCalcFields(self);
}

Variant TDataSet::computeLookup(const TField* f) const {
    TDataSet* ds = f->LookupDataSet();
    if (!ds || !ds->Active() || f->KeyFields.empty()) return Variant::Null();
    auto keys = GetFieldList(f->KeyFields);
    Variant values;
    if (keys.size() == 1) {
        values = keys[0]->Value();
    } else {
        values = Variant::CreateArray({0, (int)keys.size() - 1});
        for (size_t i = 0; i < keys.size(); ++i) values[(int)i] = keys[i]->Value();
    }
    for (size_t i = 0; i < keys.size(); ++i)
        if ((keys.size() == 1 ? values : values[(int)i]).IsEmptyOrNull()) return Variant::Null();
    return ds->Lookup(f->LookupKeyFields, values, f->LookupResultField);
}

Variant TDataSet::computeAggregate(const TField* f) const {
    auto* agg = dynamic_cast<const TAggregateField*>(f);
    if (!agg || !agg->Active || !tree_) return Variant::Null();
    std::string e = Trim(agg->Expression);
    size_t open = e.find('('), close = e.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open)
        Error("Invalid aggregate expression '" + agg->Expression + "'");
    std::string fn = UpperCase(Trim(e.substr(0, open)));
    std::string arg = Trim(e.substr(open + 1, close - open - 1));
    int n = count();
    if (fn == "COUNT" && arg == "*") return Variant(n);
    TField* src = FieldByName(arg);
    if (src->column_ < 0) Error("Aggregate field '" + f->FieldName() + "' needs a data field");
    const store::Level& L = tree_->L(level_);
    double sum = 0, mn = 0, mx = 0;
    int k = 0;
    for (int i = 0; i < n; ++i) {
        Variant v = L.Value(slotAt(i), src->column_);
        if (v.IsEmptyOrNull()) continue;
        double d = VarToFloatDef(v, 0);
        if (k == 0) mn = mx = d;
        mn = std::min(mn, d);
        mx = std::max(mx, d);
        sum += d;
        ++k;
    }
    if (fn == "COUNT") return Variant(k);
    if (k == 0) return Variant::Null();
    if (fn == "SUM") return Variant(sum);
    if (fn == "MIN") return Variant(mn);
    if (fn == "MAX") return Variant(mx);
    if (fn == "AVG") return Variant(sum / k);
    Error("Invalid aggregate expression '" + agg->Expression + "'");
}

void TDataSet::WriteField(TField* f, const Variant& stored) {
    CheckActive();
    if (state_ == dsCalcFields) {
        if (f->calcSlot_ < 0) Error("Field '" + f->FieldName() + "' cannot be modified");
        calc_[f->calcSlot_] = stored;
        return;
    }
    if (state_ != dsEdit && state_ != dsInsert) Error("Dataset not in edit or insert mode");
    if (f->ReadOnly() || (f->kind_ != TFieldKind::fkData && f->kind_ != TFieldKind::fkInternalCalc))
        Error("Field '" + f->DisplayLabel() + "' cannot be modified");
    if (f->kind_ == TFieldKind::fkInternalCalc) {
        calc_[f->calcSlot_] = stored;
        f->OnChange(f);
        DataEvent(TDataEvent::deFieldChange, f);
        return;
    }
    if (f->column_ < 0) Error("Field '" + f->FieldName() + "' is not bound");
    Variant old = edit_->Get(f->column_);
    edit_->Set(f->column_, stored);
    if (f->OnValidate) {
        try {
            f->OnValidate(f);
        } catch (...) {
            if ((state_ == dsEdit || state_ == dsInsert) && f->column_ < edit_->Columns())
                edit_->Set(f->column_, old);
            throw;
        }
        if (state_ != dsEdit && state_ != dsInsert) return;
    }
    modified_ = true;
    if (AutoCalcFields) calcValid_ = false;
    f->OnChange(f);
    DataEvent(TDataEvent::deFieldChange, f);
}

TUpdateStatus TDataSet::UpdateStatus() const {
    if (state_ == dsInsert) return TUpdateStatus::usInserted;
    uint32_t slot = CurrentSlot();
    if (!tree_ || slot == kNil) return TUpdateStatus::usUnmodified;
    return tree_->Status(level_, slot);
}

Variant TDataSet::ReconcileValue(const TField* f, TDataSetState which) const {
    if (which == dsNewValue) return f->Value();
    if (!tree_ || f->column_ < 0 || which == dsCurValue) return Variant::Null();
    if (state_ == dsInsert) return Variant::Null();
    uint32_t slot = CurrentSlot();
    if (slot == kNil) return Variant::Null();
    return tree_->OriginalValue(level_, slot, f->column_);
}

void TDataSet::SetReconcileValue(const TField*, const Variant&) {
    Error("New values can be set only while reconciling");
}

// ---- locate, lookup, keys ----

std::vector<Variant> TDataSet::keyArray(const Variant& values, size_t n) const {
    std::vector<Variant> out;
    if (n == 1 && !(values.IsArray() && values.ArrayCount() == 1)) {
        out.push_back(values);
        return out;
    }
    if (!values.IsArray()) Error("Field value required");
    for (int i = values.LowBound(); i <= values.HighBound(); ++i) out.push_back(values[i]);
    if (out.size() < n) Error("Field value required");
    out.resize(n);
    return out;
}

// A total order: index trees call it while they are being changed, so it
// must neither raise nor contradict itself, whatever a variant field holds.
// Texts sort after every other kind of value.
static int compareValues(const Variant& a, const Variant& b, bool caseInsensitive) {
    bool an = a.IsEmptyOrNull(), bn = b.IsEmptyOrNull();
    if (an || bn) return an == bn ? 0 : (an ? -1 : 1);
    if (a.IsText() != b.IsText()) return a.IsText() ? 1 : -1;
    if (a.IsText())
        return caseInsensitive ? AnsiCompareText(a.RawText(), b.RawText())
                               : CompareStr(a.RawText(), b.RawText());
    if (a.IsNumeric() && b.IsNumeric()) {
        double x = a.AsFloat(), y = b.AsFloat();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    try {
        return Variant::Compare(a, b);
    } catch (const Exception&) {
        // Kinds that do not compare (arrays): by kind.
        int x = (int)a.Type(), y = (int)b.Type();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
}

static bool valueMatches(const Variant& have, const Variant& want, const TField* f,
                         TLocateOptions options) {
    if (want.IsEmptyOrNull()) return have.IsEmptyOrNull();
    if (have.IsEmptyOrNull()) return false;
    if (have.IsText()) {
        std::string w = VarToStr(want);
        const std::string& h = have.RawText();
        bool ci = options & loCaseInsensitive;
        if (options & loPartialKey) {
            if (h.size() < w.size()) return false;
            std::string head = h.substr(0, w.size());
            return ci ? AnsiSameText(head, w) : head == w;
        }
        return ci ? AnsiSameText(h, w) : h == w;
    }
    try {
        Variant w = want.IsText() ? f->ToStored(want) : want;
        if (have.IsNumeric() && w.IsNumeric()) return have.AsFloat() == w.AsFloat();
        return Variant::Compare(have, w) == 0;
    } catch (const Exception&) {
        return false;
    }
}

const TField* TDataSet::fieldOfColumn(int column) const {
    for (TField* x : fields_)
        if (x->column_ == column) return x;
    return nullptr;
}

bool TDataSet::matches(uint32_t slot, const std::vector<int>& columns,
                       const std::vector<const TField*>& fields, const std::vector<Variant>& values,
                       TLocateOptions options) const {
    const store::Level& L = tree_->L(level_);
    for (size_t i = 0; i < columns.size(); ++i)
        if (!valueMatches(L.Value(slot, columns[i]), values[i], fields[i], options)) return false;
    return true;
}

int TDataSet::findRow(const std::vector<int>& columns, const std::vector<Variant>& values,
                      TLocateOptions options, int from) const {
    int n = count();
    std::vector<const TField*> fields;
    for (int c : columns) fields.push_back(fieldOfColumn(c));
    // An order whose leading fields are the key fields answers by a search.
    bool useIndex = index_ && !filterActive() && from == 0 && indexKey_.size() >= columns.size();
    for (size_t i = 0; useIndex && i < columns.size(); ++i) {
        const KeyPart& k = indexKey_[i];
        if (k.column != columns[i] || k.caseInsensitive != bool(options & loCaseInsensitive))
            useIndex = false;
        // A partial key is a range only in ascending order.
        if ((options & loPartialKey) && (i + 1 < columns.size() || k.descending)) useIndex = false;
        if (values[i].IsEmptyOrNull()) useIndex = false;
    }
    if (useIndex) {
        const store::Level& L = tree_->L(level_);
        // The probe takes the stored type, so that it sorts as the stored values do.
        std::vector<Variant> probe;
        for (size_t i = 0; i < columns.size(); ++i) {
            const TField* f = fieldOfColumn(columns[i]);
            try {
                if (!f || (IsTextType(f->DataType()) && values[i].IsText()))
                    probe.push_back(values[i]);
                else if (IsTextType(f->DataType()))
                    probe.push_back(Variant(VarToStr(values[i])));
                else
                    probe.push_back(f->ToStored(values[i]));
            } catch (const Exception&) {
                return -1;
            }
        }
        Range r = range();
        uint32_t lb = index_->LowerBound([&](uint32_t s) {
            const store::Slot& sl = L.At(s);
            if (parentSlot_ != sl.parent) return parentSlot_ > sl.parent ? 1 : -1;
            for (size_t i = 0; i < columns.size(); ++i) {
                int c =
                    compareValues(probe[i], L.Value(s, columns[i]), indexKey_[i].caseInsensitive);
                if (indexKey_[i].descending) c = -c;
                if (c != 0) return c;
            }
            return -1;
        });
        if (lb >= r.end) return -1;
        int pos = (int)(lb - r.first);
        return matches(index_->At(lb), columns, fields, values, options) ? pos : -1;
    }
    for (int i = from; i < n; ++i)
        if (matches(slotAt(i), columns, fields, values, options)) return i;
    return -1;
}

static std::vector<int> dataColumns(const TDataSet& ds, const std::vector<TField*>& fields) {
    std::vector<int> cols;
    for (TField* f : fields) {
        if (f->FieldNo() <= 0)
            throw EDatabaseError("Field '" + f->FieldName() + "' cannot be used to search");
        cols.push_back(f->FieldNo() - 1);
    }
    return cols;
}

bool TDataSet::Locate(const std::string& keyFields, const Variant& keyValues,
                      TLocateOptions options) {
    CheckBrowseMode();
    auto fields = GetFieldList(keyFields);
    std::vector<int> cols = dataColumns(*this, fields);
    std::vector<Variant> vals = keyArray(keyValues, cols.size());
    BeforeScroll(this);
    int pos = findRow(cols, vals, options, 0);
    if (pos < 0) return false;
    setPos(pos);
    bof_ = eof_ = false;
    DataEvent(TDataEvent::deDataSetChange);
    detailsParentChanged();
    AfterScroll(this);
    return true;
}

Variant TDataSet::Lookup(const std::string& keyFields, const Variant& keyValues,
                         const std::string& resultFields) {
    CheckActive();
    auto fields = GetFieldList(keyFields);
    std::vector<int> cols = dataColumns(*this, fields);
    std::vector<Variant> vals = keyArray(keyValues, cols.size());
    auto results = GetFieldList(resultFields);
    int pos = findRow(cols, vals, 0, 0);
    if (pos < 0) return Variant::Null();
    uint32_t slot = slotAt(pos);
    const store::Level& L = tree_->L(level_);
    auto valueOf = [&](TField* f) {
        return f->column_ >= 0 ? L.Value(slot, f->column_) : Variant::Null();
    };
    if (results.size() == 1) return valueOf(results[0]);
    Variant a = Variant::CreateArray({0, (int)results.size() - 1});
    for (size_t i = 0; i < results.size(); ++i) a[(int)i] = valueOf(results[i]);
    return a;
}

bool TDataSet::FindKey(const std::vector<Variant>& keyValues) {
    CheckBrowseMode();
    if (!index_) Error("No index currently active");
    if (keyValues.empty() || keyValues.size() > indexKey_.size()) Error("Field value required");
    std::vector<int> cols;
    for (size_t i = 0; i < keyValues.size(); ++i) cols.push_back(indexKey_[i].column);
    TLocateOptions opts = indexKey_[0].caseInsensitive ? (TLocateOptions)loCaseInsensitive : 0u;
    BeforeScroll(this);
    int pos = findRow(cols, keyValues, opts, 0);
    if (pos < 0) return false;
    setPos(pos);
    bof_ = eof_ = false;
    DataEvent(TDataEvent::deDataSetChange);
    detailsParentChanged();
    AfterScroll(this);
    return true;
}

// ---- orders ----

std::vector<TDataSet::KeyPart> TDataSet::keyParts(const std::string& fields,
                                                  const std::string& desc,
                                                  const std::string& caseIns, bool allDesc,
                                                  bool allCaseIns) const {
    auto descNames = SplitFieldNames(desc);
    auto ciNames = SplitFieldNames(caseIns);
    auto has = [](const std::vector<std::string>& list, const std::string& n) {
        return std::any_of(list.begin(), list.end(),
                           [&](const std::string& x) { return SameText(x, n); });
    };
    std::vector<KeyPart> parts;
    for (const std::string& name : SplitFieldNames(fields)) {
        TField* f = FieldByName(name);
        if (f->column_ < 0) Error("Field '" + name + "' cannot be used in an index");
        parts.push_back(
            {f->column_, allDesc || has(descNames, name), allCaseIns || has(ciNames, name)});
    }
    return parts;
}

int TDataSet::compareSlots(uint32_t a, uint32_t b) const {
    const store::Level& L = tree_->L(level_);
    const store::Slot& x = L.At(a);
    const store::Slot& y = L.At(b);
    if (x.parent != y.parent) return x.parent < y.parent ? -1 : 1;
    for (const KeyPart& k : indexKey_) {
        int c = compareValues(L.Value(a, k.column), L.Value(b, k.column), k.caseInsensitive);
        if (k.descending) c = -c;
        if (c != 0) return c;
    }
    if (x.order != y.order) return x.order < y.order ? -1 : 1;
    return a < b ? -1 : (a > b ? 1 : 0);
}

void TDataSet::dropIndex() {
    if (index_ && tree_) tree_->L(level_).RemoveIndex(index_.get());
    index_.reset();
    indexKey_.clear();
    rangeVersion_ = 0;
    posVersion_ = 0;
    filterValid_ = false;
}

void TDataSet::rebuildIndex() {
    dropIndex();
    if (!tree_) return;
    std::vector<KeyPart> key;
    if (!indexFieldNames_.empty()) {
        key = keyParts(indexFieldNames_, "", "", false, false);
    } else if (!indexName_.empty()) {
        TIndexDef* d = indexDefs_.FindIndexForName(indexName_);
        if (!d) Error("Index '" + indexName_ + "' not found");
        key = keyParts(d->Fields, d->DescFields, d->CaseInsFields, d->Options & ixDescending,
                       d->Options & ixCaseInsensitive);
    }
    if (key.empty()) return;
    indexKey_ = key;
    store::Level& L = tree_->L(level_);
    index_ = std::make_unique<store::OrderTree>(
        [this](uint32_t a, uint32_t b) { return compareSlots(a, b); });
    // Decode each key once, then sort.
    std::vector<uint32_t> slots;
    L.Natural().InOrder(slots);
    std::vector<std::vector<Variant>> keys(L.SlotCount());
    for (uint32_t s : slots) {
        auto& k = keys[s];
        for (const KeyPart& p : indexKey_) k.push_back(L.Value(s, p.column));
    }
    std::stable_sort(slots.begin(), slots.end(), [&](uint32_t a, uint32_t b) {
        const store::Slot& x = L.At(a);
        const store::Slot& y = L.At(b);
        if (x.parent != y.parent) return x.parent < y.parent;
        for (size_t i = 0; i < indexKey_.size(); ++i) {
            int c = compareValues(keys[a][i], keys[b][i], indexKey_[i].caseInsensitive);
            if (indexKey_[i].descending) c = -c;
            if (c != 0) return c < 0;
        }
        return false;  // stable: natural order breaks ties
    });
    index_->BuildSorted(slots);
    std::vector<int> keyColumns;
    for (const KeyPart& p : indexKey_) keyColumns.push_back(p.column);
    L.AddIndex(index_.get(), std::move(keyColumns));
    rangeVersion_ = 0;
    posVersion_ = 0;
    filterValid_ = false;
}

void TDataSet::setOrder(const std::string& fieldNames, const std::string& indexName) {
    if (!Active()) {
        indexFieldNames_ = fieldNames;
        indexName_ = indexName;
        return;
    }
    CheckBrowseMode();
    std::string oldFields = indexFieldNames_, oldName = indexName_;
    indexFieldNames_ = fieldNames;
    indexName_ = indexName;
    try {
        rebuildIndex();
    } catch (...) {
        // An order that cannot be built leaves the one before.
        indexFieldNames_ = oldFields;
        indexName_ = oldName;
        rebuildIndex();
        throw;
    }
    DataEvent(TDataEvent::deDataSetChange);
}

void TDataSet::SetIndexFieldNames(const std::string& names) {
    setOrder(names, names.empty() ? indexName_ : std::string());
}

void TDataSet::SetIndexName(const std::string& name) {
    if (!name.empty() && !indexDefs_.FindIndexForName(name))
        Error("Index '" + name + "' not found");
    setOrder(name.empty() ? indexFieldNames_ : std::string(), name);
}

void TDataSet::AdoptCursorSettings(const TDataSet& src) {
    indexDefs_ = src.indexDefs_;
    indexFieldNames_ = src.indexFieldNames_;
    indexName_ = src.indexName_;
    filter_ = src.filter_;
    filterExpr_ = src.filterExpr_;
    filtered_ = src.filtered_;
    filterOptions_ = src.filterOptions_;
    onFilterRecord_ = src.onFilterRecord_;
}

// ---- filters ----

bool TDataSet::passesFilter(uint32_t slot) const {
    auto* self = const_cast<TDataSet*>(this);
    filterSlot_ = slot;
    StateSwap swap(self->state_, dsFilter);
    bool ok = true;
    if (filterExpr_)
        ok = filterExpr_->Evaluate(
            [&](const std::string& name) { return FieldByName(name)->Value(); },
            filterOptions_ & foCaseInsensitive, filterOptions_ & foNoPartialCompare);
    if (ok && onFilterRecord_) onFilterRecord_(self, ok);
    return ok;
}

void TDataSet::refreshFilter() const {
    const store::Level& L = tree_->L(level_);
    if (filterValid_ && filterVersion_ == L.Version() && filterParent_ == parentSlot_) return;
    filterRows_.clear();
    filterPos_.clear();
    Range r = range();
    const store::OrderTree& t = index_ ? *index_ : const_cast<store::Level&>(L).Natural();
    for (uint32_t i = r.first; i < r.end; ++i) {
        uint32_t s = t.At(i);
        if (passesFilter(s)) {
            filterPos_[s] = (int)filterRows_.size();
            filterRows_.push_back(s);
        }
    }
    filterValid_ = true;
    filterVersion_ = L.Version();
    filterParent_ = parentSlot_;
}

void TDataSet::refilter(bool toFirst, const std::function<void()>& restore) {
    filterValid_ = false;
    posVersion_ = 0;
    if (!Active() || !(toFirst || filtered_)) return;
    if (filterActive()) {
        // A filter that cannot be evaluated (a field it names is missing,
        // its handler raises) leaves the one before.
        try {
            count();
        } catch (...) {
            restore();
            filterValid_ = false;
            posVersion_ = 0;
            throw;
        }
    }
    First();
}

void TDataSet::SetFilter(const std::string& text) {
    auto expr = Trim(text).empty() ? nullptr : filter::Expression::Parse(text);
    std::string oldText = std::move(filter_);
    auto oldExpr = std::move(filterExpr_);
    filter_ = text;
    filterExpr_ = expr;
    refilter(false, [&] {
        filter_ = oldText;
        filterExpr_ = oldExpr;
    });
}

void TDataSet::SetFiltered(bool on) {
    if (filtered_ == on) return;
    if (Active()) CheckBrowseMode();
    filtered_ = on;
    refilter(true, [&] { filtered_ = !on; });
}

void TDataSet::SetFilterOptions(TFilterOptions o) {
    TFilterOptions old = filterOptions_;
    filterOptions_ = o;
    refilter(false, [&] { filterOptions_ = old; });
}

void TDataSet::SetOnFilterRecord(const TFilterRecordEvent& e) {
    TFilterRecordEvent old = onFilterRecord_;
    onFilterRecord_ = e;
    refilter(false, [&] { onFilterRecord_ = old; });
}

// ---- published properties ----

PLAT_PUBLISH(TDataSet) {
    p.Prop("Active", &TDataSet::Active, &TDataSet::SetActive);
    p.Prop("AutoCalcFields", &TDataSet::AutoCalcFields);
    p.Prop("DataSetField", &TDataSet::DataSetField, &TDataSet::SetDataSetField);
    p.Prop("Filter", &TDataSet::Filter, &TDataSet::SetFilter);
    p.Prop("Filtered", &TDataSet::Filtered, &TDataSet::SetFiltered);
    p.Prop("IndexFieldNames", &TDataSet::IndexFieldNames, &TDataSet::SetIndexFieldNames);
    p.Prop("IndexName", &TDataSet::IndexName, &TDataSet::SetIndexName);
    p.Prop("ReadOnly", &TDataSet::ReadOnly, &TDataSet::SetReadOnly);
    static const char* const events[] = {
        "BeforeOpen",   "AfterOpen",   "BeforeClose",  "AfterClose",  "BeforeInsert",
        "AfterInsert",  "BeforeEdit",  "AfterEdit",    "BeforePost",  "AfterPost",
        "BeforeCancel", "AfterCancel", "BeforeDelete", "AfterDelete", "BeforeScroll",
        "AfterScroll",  "OnNewRecord", "OnCalcFields"};
    static TDataSetNotifyEvent TDataSet::*const members[] = {
        &TDataSet::BeforeOpen,   &TDataSet::AfterOpen,    &TDataSet::BeforeClose,
        &TDataSet::AfterClose,   &TDataSet::BeforeInsert, &TDataSet::AfterInsert,
        &TDataSet::BeforeEdit,   &TDataSet::AfterEdit,    &TDataSet::BeforePost,
        &TDataSet::AfterPost,    &TDataSet::BeforeCancel, &TDataSet::AfterCancel,
        &TDataSet::BeforeDelete, &TDataSet::AfterDelete,  &TDataSet::BeforeScroll,
        &TDataSet::AfterScroll,  &TDataSet::OnNewRecord,  &TDataSet::OnCalcFields};
    for (size_t i = 0; i < std::size(events); ++i)
        p.Prop(events[i], members[i], nullptr, "TDataSetNotifyEvent");
    p.Prop("OnFilterRecord", &TDataSet::OnFilterRecord, &TDataSet::SetOnFilterRecord,
           "TFilterRecordEvent");
}

}  // namespace plat
