#include "platform/data/datasource.h"

#include <algorithm>

#include "platform/component/properties.h"
#include "platform/core/text.h"

namespace plat {

// ---- TDataSource ----

TDataSource::TDataSource(TComponent* owner) : TComponent(owner) {}

TDataSource::~TDataSource() {
    BeginDestroy();
    SetDataSet(nullptr);
    for (TDataLink* l : std::vector<TDataLink*>(links_)) l->SetDataSource(nullptr);
}

void TDataSource::Notification(TComponent* c, TOperation op) {
    if (op == TOperation::opRemove && c == dataSet_) {
        auto& list = dataSet_->dataSources_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
        dataSet_ = nullptr;
        updateState();
    }
}

void TDataSource::SetDataSet(TDataSet* ds) {
    if (ds == dataSet_) return;
    if (dataSet_) {
        auto& list = dataSet_->dataSources_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
        dataSet_->RemoveFreeNotification(this);
    }
    dataSet_ = ds;
    if (ds) {
        ds->dataSources_.push_back(this);
        ds->FreeNotification(this);
    }
    updateState();
    for (TDataLink* l : std::vector<TDataLink*>(links_)) l->updateActive();
}

void TDataSource::SetEnabled(bool on) {
    if (enabled_ == on) return;
    enabled_ = on;
    updateState();
    for (TDataLink* l : std::vector<TDataLink*>(links_)) l->updateActive();
}

bool TDataSource::IsLinkedTo(TDataSet* ds) const {
    for (TDataSet* d = dataSet_; d; d = d->Master())
        if (d == ds) return true;
    return false;
}

void TDataSource::Edit() {
    if (AutoEdit && dataSet_ && dataSet_->State() == dsBrowse) dataSet_->Edit();
}

void TDataSource::updateState() {
    TDataSetState s = enabled_ && dataSet_ ? dataSet_->State() : dsInactive;
    if (s == dsCalcFields || s == dsFilter) return;
    if (s == state_) return;
    bool activeChanged = (s == dsInactive) != (state_ == dsInactive);
    state_ = s;
    for (TDataLink* l : std::vector<TDataLink*>(links_)) {
        if (activeChanged) l->updateActive();
        l->updateEditing();
    }
    if (!Destroying()) OnStateChange(this);
}

void TDataSource::dataEvent(TDataEvent event, TField* field, int info) {
    if (event == TDataEvent::deUpdateState) {
        updateState();
        return;
    }
    if (state_ == dsInactive) return;
    for (TDataLink* l : std::vector<TDataLink*>(links_)) l->dataEvent(event, field, info);
    switch (event) {
        case TDataEvent::deFieldChange:
        case TDataEvent::deRecordChange:
        case TDataEvent::deDataSetChange:
        case TDataEvent::deDataSetScroll:
        case TDataEvent::deLayoutChange:
            OnDataChange(this, event == TDataEvent::deFieldChange ? field : nullptr);
            break;
        case TDataEvent::deUpdateRecord:
            OnUpdateData(this);
            break;
        default:
            break;
    }
}

// ---- TDataLink ----

TDataLink::~TDataLink() {
    SetDataSource(nullptr);
}

void TDataLink::SetDataSource(TDataSource* ds) {
    if (ds == dataSource_) return;
    if (dataSource_) {
        auto& list = dataSource_->links_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
    dataSource_ = ds;
    if (ds) ds->links_.push_back(this);
    updateActive();
}

TDataSet* TDataLink::DataSet() const {
    return dataSource_ ? dataSource_->DataSet() : nullptr;
}

void TDataLink::updateActive() {
    bool a = dataSource_ && dataSource_->State() != dsInactive;
    if (a != active_) {
        active_ = a;
        ActiveChanged();
    }
    updateEditing();
}

void TDataLink::updateEditing() {
    bool e = dataSource_ && (dataSource_->State() == dsEdit || dataSource_->State() == dsInsert) &&
             !ReadOnly;
    if (e != editing_) {
        editing_ = e;
        EditingChanged();
    }
}

bool TDataLink::Edit() {
    if (!ReadOnly && dataSource_) dataSource_->Edit();
    return editing_;
}

void TDataLink::UpdateRecord() {
    if (updating_) return;
    updating_ = true;
    try {
        UpdateData();
    } catch (...) {
        updating_ = false;
        throw;
    }
    updating_ = false;
}

void TDataLink::dataEvent(TDataEvent event, TField* field, int info) {
    switch (event) {
        case TDataEvent::deFieldChange:
        case TDataEvent::deRecordChange:
            if (!updating_) RecordChanged(field);
            break;
        case TDataEvent::deDataSetChange:
            DataSetChanged();
            break;
        case TDataEvent::deDataSetScroll:
            DataSetScrolled(info);
            break;
        case TDataEvent::deLayoutChange:
            LayoutChanged();
            break;
        case TDataEvent::deUpdateRecord:
            UpdateRecord();
            break;
        case TDataEvent::deCheckBrowseMode:
            CheckBrowseMode();
            break;
        case TDataEvent::deFocusControl: {
            bool done = false;
            FocusControl(field, done);
            break;
        }
        default:
            break;
    }
}

// ---- TFieldDataLink ----

void TFieldDataLink::SetFieldName(const std::string& name) {
    if (SameText(name, fieldName_) && name == fieldName_) return;
    fieldName_ = name;
    updateField();
}

void TFieldDataLink::updateField() {
    TField* f = nullptr;
    if (Active() && !fieldName_.empty()) f = DataSet()->FindField(fieldName_);
    if (f != field_) {
        field_ = f;
        modified_ = false;
        OnDataChange(this);
    }
}

bool TFieldDataLink::CanModify() const {
    return !ReadOnly && field_ && field_->CanModify();
}

void TFieldDataLink::Reset() {
    modified_ = false;
    OnDataChange(this);
}

void TFieldDataLink::ActiveChanged() {
    updateField();
    OnActiveChange(this);
}

void TFieldDataLink::LayoutChanged() {
    updateField();
}

void TFieldDataLink::RecordChanged(TField* field) {
    if (field && field != field_) return;
    modified_ = false;
    OnDataChange(this);
}

void TFieldDataLink::EditingChanged() {
    OnEditingChange(this);
}

void TFieldDataLink::UpdateData() {
    if (!modified_) return;
    OnUpdateData(this);
    modified_ = false;
}

void TFieldDataLink::FocusControl(TField* field, bool& done) {
    if (field && field == field_ && Control) {
        OnFocusControl(this);
        done = true;
    }
}

// ---- published properties ----

PLAT_PUBLISH(TDataSource) {
    p.Prop("DataSet", &TDataSource::DataSet, &TDataSource::SetDataSet);
    p.Prop("Enabled", &TDataSource::Enabled, &TDataSource::SetEnabled);
    p.Prop("AutoEdit", &TDataSource::AutoEdit);
    p.Prop("OnDataChange", &TDataSource::OnDataChange, nullptr, "TDataChangeEvent");
    p.Prop("OnStateChange", &TDataSource::OnStateChange);
    p.Prop("OnUpdateData", &TDataSource::OnUpdateData);
}

}  // namespace plat
