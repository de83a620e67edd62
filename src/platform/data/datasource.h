// Data sources and data links: how controls follow a dataset. A data source
// sits between one dataset and any number of links; a field data link ties
// one control to one field (edit, modified, reset, update record), a dataset
// link tells a control (a grid) about the whole dataset.
#pragma once
#include <string>
#include <vector>

#include "platform/component/component.h"
#include "platform/component/events.h"
#include "platform/data/dataset.h"

namespace plat {

class TDataLink;

// Sender, field changed (nullptr when the record or the dataset changed).
using TDataChangeEvent = Event<TObject*, TField*>;

class TDataSource : public TComponent {
    PLAT_CLASS(TDataSource, TComponent)
  public:
    explicit TDataSource(TComponent* owner = nullptr);
    ~TDataSource() override;

    TDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TDataSet* ds);
    // The dataset's state, or dsInactive while disabled.
    TDataSetState State() const { return state_; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool on);
    // Controls that start typing put the dataset into edit.
    bool AutoEdit = true;
    // Puts the dataset into edit when AutoEdit allows it.
    void Edit();
    bool IsLinkedTo(TDataSet* ds) const;

    TDataChangeEvent OnDataChange;
    TNotifyEvent OnStateChange;
    TNotifyEvent OnUpdateData;

    const std::vector<TDataLink*>& Links() const { return links_; }

  protected:
    void Notification(TComponent* c, TOperation op) override;

  private:
    friend class TDataSet;
    friend class TDataLink;
    void dataEvent(TDataEvent event, TField* field, int info);
    void updateState();

    TDataSet* dataSet_ = nullptr;
    TDataSetState state_ = dsInactive;
    bool enabled_ = true;
    std::vector<TDataLink*> links_;
};

// Base of every link: notices of the dataset as virtual calls.
class TDataLink : public TPersistent {
    PLAT_CLASS(TDataLink, TPersistent)
  public:
    TDataLink() = default;
    ~TDataLink() override;

    TDataSource* DataSource() const { return dataSource_; }
    void SetDataSource(TDataSource* ds);
    TDataSet* DataSet() const;
    // The source is enabled and its dataset open.
    bool Active() const { return active_; }
    bool Editing() const { return editing_; }
    bool ReadOnly = false;
    // Puts the dataset into edit (through the source's AutoEdit); true when editing.
    bool Edit();
    // Asks the control to write its text into the record.
    void UpdateRecord();

  protected:
    virtual void ActiveChanged() {}
    virtual void DataSetChanged() { RecordChanged(nullptr); }
    virtual void DataSetScrolled(int distance) { DataSetChanged(); }
    virtual void RecordChanged(TField* field) {}
    virtual void EditingChanged() {}
    virtual void UpdateData() {}
    virtual void CheckBrowseMode() {}
    virtual void LayoutChanged() { DataSetChanged(); }
    virtual void FocusControl(TField* field, bool& done) {}

  private:
    friend class TDataSource;
    void dataEvent(TDataEvent event, TField* field, int info);
    void updateActive();
    void updateEditing();

    TDataSource* dataSource_ = nullptr;
    bool active_ = false;
    bool editing_ = false;
    bool updating_ = false;
};

// Ties one control to one field of the source's dataset.
class TFieldDataLink : public TDataLink {
    PLAT_CLASS(TFieldDataLink, TDataLink)
  public:
    const std::string& FieldName() const { return fieldName_; }
    void SetFieldName(const std::string& name);
    TField* Field() const { return field_; }
    // The control the link belongs to (what a form finds by field).
    TComponent* Control = nullptr;
    // The control changed its text and has not written it yet.
    bool Modified() const { return modified_; }
    void SetModified() { modified_ = true; }
    // Reloads the control from the field and forgets the modification.
    void Reset();
    bool CanModify() const;

    TNotifyEvent OnDataChange;     // the control should show the field again
    TNotifyEvent OnEditingChange;  // editing began or ended
    TNotifyEvent OnUpdateData;     // the control should write its text now
    TNotifyEvent OnActiveChange;
    TNotifyEvent OnFocusControl;  // the field asked for the focus

  protected:
    void ActiveChanged() override;
    void RecordChanged(TField* field) override;
    void EditingChanged() override;
    void UpdateData() override;
    void LayoutChanged() override;
    void FocusControl(TField* field, bool& done) override;

  private:
    friend class TDataSet;
    void updateField();
    std::string fieldName_;
    TField* field_ = nullptr;
    bool modified_ = false;
};

// Notices of the whole dataset, for grids and navigators.
class TDataSetLink : public TDataLink {
    PLAT_CLASS(TDataSetLink, TDataLink)
  public:
    TNotifyEvent OnActiveChange;
    TNotifyEvent OnDataSetChange;
    Event<TObject*, int> OnScroll;
    TDataChangeEvent OnRecordChange;
    TNotifyEvent OnEditingChange;
    TNotifyEvent OnUpdateData;
    TNotifyEvent OnLayoutChange;

  protected:
    void ActiveChanged() override { OnActiveChange(this); }
    void DataSetChanged() override { OnDataSetChange(this); }
    void DataSetScrolled(int distance) override { OnScroll(this, distance); }
    void RecordChanged(TField* field) override { OnRecordChange(this, field); }
    void EditingChanged() override { OnEditingChange(this); }
    void UpdateData() override { OnUpdateData(this); }
    void LayoutChanged() override { OnLayoutChange(this); }
};

}  // namespace plat
