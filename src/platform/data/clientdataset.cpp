#include "platform/data/clientdataset.h"

#include <functional>
#include <unordered_map>

#include "platform/component/properties.h"
#include "platform/data/store.h"

namespace plat {

using store::kNil;

TDataSet* CreateNestedDataSet(TComponent* owner) {
    return new TClientDataSet(owner);
}

TClientDataSet::TClientDataSet(TComponent* owner) : TDataSet(owner) {}

TClientDataSet::~TClientDataSet() = default;

TClientDataSet* TClientDataSet::top() {
    TDataSet* t = TopDataSet();
    auto* c = dynamic_cast<TClientDataSet*>(t);
    return c ? c : this;
}

const TClientDataSet* TClientDataSet::top() const {
    return const_cast<TClientDataSet*>(this)->top();
}

IProvider* TClientDataSet::Provider() const {
    if (provider_) return provider_;
    if (remoteServer_ && !providerName_.empty()) return remoteServer_->FindProvider(providerName_);
    return nullptr;
}

Variant TClientDataSet::DataRequest(const Variant& data) {
    IProvider* p = Provider();
    if (!p) Error("Missing data provider or data packet");
    return p->DataRequest(data);
}

// ---- opening ----

void TClientDataSet::OpenStore() {
    if (DataSetField()) {
        TDataSet::OpenStore();
        return;
    }
    if (cloneSource_) {
        AttachTree(cloneSource_->SharedTree(), cloneSource_->Level());
        BindFields();
        return;
    }
    if (loadPacket_) {
        if (loadPacket_->fields.empty()) Error("Missing data packet metadata");
        auto tree = std::make_shared<store::DataTree>(loadPacket_->fields);
        tree->Load(0, kNil, loadPacket_->rows);
        allFetched_ = loadPacket_->endOfData;
        AttachTree(tree, 0);
        BindFields();
        return;
    }
    if (!pendingData_.Empty()) {
        auto tree = pendingData_.tree;
        pendingData_ = TClientData{};
        AttachTree(tree, 0);
        BindFields();
        return;
    }
    IProvider* p = Provider();
    if (!p) Error("Missing data provider or data packet");
    TDataPacket packet = p->GetRecords({PacketRecords, true, true});
    if (packet.fields.empty()) Error("Missing data packet metadata");
    auto tree = std::make_shared<store::DataTree>(packet.fields);
    tree->Take(0, kNil, std::move(packet.rows));
    allFetched_ = packet.endOfData;
    AttachTree(tree, 0);
    BindFields();
}

void TClientDataSet::CloseStore() {
    reconcile_ = nullptr;
}

void TClientDataSet::LoadFromPacket(const TDataPacket& packet) {
    if (DataSetField()) Error("Cannot load a packet into a nested dataset");
    if (Active()) Close();
    loadPacket_ = &packet;
    try {
        Open();
    } catch (...) {
        loadPacket_ = nullptr;
        throw;
    }
    loadPacket_ = nullptr;
}

void TClientDataSet::CreateDataSet() {
    if (Active()) Error("Cannot perform this operation on an open dataset");
    if (DataSetField()) Error("Cannot create a nested dataset");
    std::vector<TPacketField> defs = FieldDefs().ToPacketFields();
    if (defs.empty()) {
        for (TField* f : Fields())
            if (f->IsDataField()) {
                TPacketField p = PacketField(f->FieldName(), f->DataType(), f->Size());
                p.required = f->Required();
                if (auto* df = dynamic_cast<TDataSetField*>(f)) {
                    // A nested field takes the structure of its nested dataset.
                    if (!df->DetailDataSets().empty()) {
                        TDataSet* d = df->DetailDataSets().front();
                        p.fields = d->FieldDefs().ToPacketFields();
                        if (p.fields.empty())
                            for (TField* g : d->Fields())
                                if (g->IsDataField())
                                    p.fields.push_back(
                                        PacketField(g->FieldName(), g->DataType(), g->Size()));
                    }
                }
                defs.push_back(p);
            }
    }
    if (defs.empty()) Error("Missing data provider or data packet");
    pendingData_.tree = std::make_shared<store::DataTree>(defs);
    allFetched_ = true;
    try {
        Open();
    } catch (...) {
        pendingData_ = TClientData{};
        throw;
    }
}

TClientData TClientDataSet::Data() const {
    if (!SharedTree())
        return pendingData_.Empty() ? TClientData{} : TClientData{pendingData_.tree->Clone()};
    if (Level() != 0) Error("The data of a nested dataset belongs to its master");
    return TClientData{std::shared_ptr<store::DataTree>(SharedTree()->Clone())};
}

void TClientDataSet::SetData(const TClientData& data) {
    if (DataSetField()) Error("The data of a nested dataset belongs to its master");
    if (Active()) Close();
    if (data.Empty()) return;
    pendingData_.tree = std::shared_ptr<store::DataTree>(data.tree->Clone());
    allFetched_ = true;
    try {
        Open();
    } catch (...) {
        pendingData_ = TClientData{};
        throw;
    }
}

void TClientDataSet::CloneCursor(TClientDataSet* source, bool reset, bool keepSettings) {
    if (!source || !source->Active()) Error("Cannot perform this operation on a closed dataset");
    if (source == this) Error("A dataset cannot clone itself");
    if (Active()) Close();
    remoteServer_ = source->remoteServer_;
    providerName_ = source->providerName_;
    provider_ = source->provider_;
    PacketRecords = source->PacketRecords;
    FetchOnDemand = source->FetchOnDemand;
    if (!keepSettings) {
        if (reset) {
            SetIndexFieldNames("");
            SetFilter("");
            SetFiltered(false);
        } else {
            AdoptCursorSettings(*source);
        }
    }
    uint32_t at = source->CurrentSlot();
    if (source->DataSetField()) {
        // A clone of a detail follows the same master.
        SetDataSetField(source->DataSetField());
        Open();
    } else {
        cloneSource_ = source;
        try {
            Open();
        } catch (...) {
            cloneSource_ = nullptr;
            throw;
        }
        cloneSource_ = nullptr;
    }
    allFetched_ = source->allFetched_;
    if (at != kNil) {
        PositionAt(at);
        bof_ = eof_ = false;
        if (RecNo() == 1) bof_ = true;
    }
}

// ---- fetching ----

void TClientDataSet::appendPacket(const TDataPacket& p) {
    if (!p.fields.empty() && !SharedTree()->SameStructure(store::DataTree(p.fields)))
        Error("A packet of another structure cannot be added");
    tree_->Load(0, kNil, p.rows);
    allFetched_ = p.endOfData;
}

int TClientDataSet::GetNextPacket() {
    CheckActive();
    if (DataSetField() || allFetched_) return 0;
    IProvider* p = Provider();
    if (!p) Error("Missing data provider or data packet");
    TDataPacket packet = p->GetRecords({PacketRecords, false, false});
    appendPacket(packet);
    int n = (int)packet.rows.size();
    AfterStoreChanged(false);
    if (n > 0) eof_ = false;
    DataEvent(TDataEvent::deDataSetChange);
    return n;
}

bool TClientDataSet::FetchMore() {
    if (!FetchOnDemand || allFetched_ || DataSetField() || !Provider()) return false;
    return GetNextPacket() > 0;
}

void TClientDataSet::DiscardFetchedRows() {
    CheckActive();
    if (DataSetField()) Error("The rows of a nested dataset belong to its master");
    CheckBrowseMode();
    checkNoOtherEdit();
    tree_->Clear();
    allFetched_ = false;
    ResetCursor();
    AfterStoreChanged(true);
    DataEvent(TDataEvent::deDataSetChange);
}

void TClientDataSet::EmptyDataSet() {
    CheckActive();
    if (State() == dsEdit || State() == dsInsert) Cancel();
    if (DataSetField()) {
        if (IsEmpty()) return;
        masterIntoEdit();
        for (uint32_t s : tree_->L(level_).Children(ParentSlot())) tree_->Delete(level_, s);
        masterTouched();
    } else {
        checkNoOtherEdit();
        tree_->Clear();
    }
    ResetCursor();
    AfterStoreChanged(true);
    DataEvent(TDataEvent::deDataSetChange);
}

void TClientDataSet::checkNoOtherEdit() const {
    for (void* c : tree_->cursors) {
        auto* ds = static_cast<const TDataSet*>(c);
        if (ds != this && (ds->State() == dsEdit || ds->State() == dsInsert))
            Error("Cannot empty a dataset while it is being edited");
    }
}

// ---- change log ----

std::vector<bool> TClientDataSet::levelMask() const {
    if (!tree_ || level_ == 0) return {};
    std::vector<bool> mask(tree_->LevelCount(), false);
    std::function<void(int)> mark = [&](int l) {
        mask[l] = true;
        const store::Level& L = tree_->L(l);
        for (int col : L.NestedColumns()) mark(L.ChildLevel(col));
    };
    mark(level_);
    return mask;
}

int TClientDataSet::ChangeCount() const {
    if (!tree_) return 0;
    return level_ == 0 ? tree_->ChangeCount() : tree_->ChangeCount(levelMask());
}

void TClientDataSet::CancelUpdates() {
    CheckActive();
    if (State() == dsEdit || State() == dsInsert) Cancel();
    tree_->CancelUpdates(levelMask());
    AfterStoreChanged(true);
    DataEvent(TDataEvent::deDataSetChange);
}

void TClientDataSet::MergeChangeLog() {
    CheckActive();
    tree_->MergeChangeLog(levelMask());
    AfterStoreChanged(false);
}

void TClientDataSet::RevertRecord() {
    CheckActive();
    if (State() == dsEdit || State() == dsInsert) Cancel();
    uint32_t slot = CurrentSlot();
    if (slot == kNil) return;
    tree_->RevertRow(level_, slot);
    AfterStoreChanged(true);
    DataEvent(TDataEvent::deDataSetChange);
}

TDelta TClientDataSet::Delta() const {
    CheckActive();
    return tree_->BuildDelta();
}

// ---- apply and reconcile ----

int TClientDataSet::ApplyUpdates(int maxErrors) {
    TClientDataSet* t = top();
    if (t != this) return t->ApplyUpdates(maxErrors);
    CheckActive();
    CheckBrowseMode();
    IProvider* p = Provider();
    if (!p) Error("Missing data provider or data packet");
    TDelta delta = tree_->BuildDelta();
    if (delta.Empty()) return 0;
    TApplyReply reply = p->ApplyUpdates(delta, maxErrors);
    reconcile(reply, delta);
    return reply.errorCount;
}

TClientDataSet* TClientDataSet::datasetForLevel(int level) {
    if (level == level_) return this;
    std::vector<int> path;
    for (int l = level; l != level_ && l >= 0; l = tree_->L(l).ParentLevel()) path.push_back(l);
    TDataSet* ds = this;
    for (auto it = path.rbegin(); it != path.rend(); ++it) {
        TDataSet* next = nullptr;
        for (TField* f : ds->Fields())
            if (auto* df = dynamic_cast<TDataSetField*>(f);
                df && df->FieldNo() > 0 &&
                tree_->L(ds->level_).ChildLevel(df->FieldNo() - 1) == *it &&
                !df->DetailDataSets().empty())
                next = df->DetailDataSets().front();
        if (!next) return nullptr;
        ds = next;
    }
    return dynamic_cast<TClientDataSet*>(ds);
}

static TUpdateKind kindOf(TUpdateStatus s) {
    switch (s) {
        case TUpdateStatus::usInserted:
            return TUpdateKind::ukInsert;
        case TUpdateStatus::usDeleted:
            return TUpdateKind::ukDelete;
        default:
            return TUpdateKind::ukModify;
    }
}

void TClientDataSet::reconcile(const TApplyReply& reply, const TDelta& delta) {
    std::unordered_map<uint64_t, const TRowResult*> results;
    for (const TRowResult& r : reply.rows) results[r.id] = &r;
    auto levelOf = [](uint64_t id) { return (int)(id >> 32); };
    auto slotOf = [](uint64_t id) { return (uint32_t)(id & 0xFFFFFFFFu); };

    // Rows applied: write back server values, forget their change.
    if (reply.committed) {
        std::function<void(const TDeltaRow&, bool)> merge = [&](const TDeltaRow& d, bool skip) {
            auto it = results.find(d.id);
            bool refused = it != results.end() && !it->second->applied;
            int level = levelOf(d.id);
            uint32_t slot = slotOf(d.id);
            if (!skip && !refused) {
                if (it != results.end() && !it->second->assigned.empty() &&
                    d.status != TUpdateStatus::usDeleted) {
                    const store::Level& L = tree_->L(level);
                    std::vector<Variant> values =
                        store::row::Decode(L.At(slot).data, L.ColumnCount());
                    for (const TAssignedValue& a : it->second->assigned)
                        if (a.field >= 0 && a.field < (int)values.size()) values[a.field] = a.value;
                    tree_->WriteUnlogged(level, slot, store::row::Encode(values));
                }
                if (d.status != TUpdateStatus::usUnmodified) tree_->MergeRow(level, slot);
            }
            // Nothing below a refused insert or update reached the server;
            // the deletes below a delete go before it.
            bool below = skip || (refused && d.status != TUpdateStatus::usDeleted);
            for (const auto& list : d.details)
                for (const TDeltaRow& c : list) merge(c, below);
        };
        for (const TDeltaRow& d : delta.rows) merge(d, false);
    }

    // Refused rows go through OnReconcileError, in delta order.
    std::vector<const TDeltaRow*> refused;
    std::function<void(const TDeltaRow&)> collect = [&](const TDeltaRow& d) {
        auto it = results.find(d.id);
        if (it != results.end() && !it->second->applied) refused.push_back(&d);
        for (const auto& list : d.details)
            for (const TDeltaRow& c : list) collect(c);
    };
    for (const TDeltaRow& d : delta.rows) collect(d);

    for (const TDeltaRow* d : refused) {
        const TRowResult& r = *results[d->id];
        int level = levelOf(d->id);
        uint32_t slot = slotOf(d->id);
        const store::Level& L = tree_->L(level);
        if (slot >= L.SlotCount() || L.At(slot).state == store::SlotState::Free) continue;
        TClientDataSet* owner = datasetForLevel(level);
        TClientDataSet* handler =
            owner && owner->OnReconcileError ? owner : (OnReconcileError ? this : nullptr);
        TReconcileAction action = TReconcileAction::raSkip;
        ReconcileRow row;
        row.level = level;
        row.slot = slot;
        row.oldValues = d->oldValues.Values();
        row.newValues = d->newValues.Values();
        row.curValues = r.current.Values();
        std::vector<Variant> proposed = row.newValues;
        if (handler) {
            EReconcileError e(r.message, r.errorCode, r.previousError, r.context);
            // The handler's fields read the refused row while it runs.
            struct RowScope {
                ReconcileRow*& slot;
                RowScope(ReconcileRow*& s, ReconcileRow* r) : slot(s) { slot = r; }
                ~RowScope() { slot = nullptr; }
            } scope(handler->reconcile_, &row);
            handler->OnReconcileError(handler, e, kindOf(d->status), action);
        }
        if (action == TReconcileAction::raAbort) break;
        switch (action) {
            case TReconcileAction::raCancel:
                tree_->RevertRow(level, slot);
                break;
            case TReconcileAction::raCorrect:
                if (d->status != TUpdateStatus::usDeleted && row.newValues != proposed &&
                    (int)row.newValues.size() == L.ColumnCount())
                    tree_->WriteUnlogged(level, slot, store::row::Encode(row.newValues));
                break;
            case TReconcileAction::raMerge:
                if ((int)row.curValues.size() == L.ColumnCount() &&
                    d->status == TUpdateStatus::usModified) {
                    std::vector<Variant> merged = row.curValues;
                    for (int c = 0; c < L.ColumnCount(); ++c)
                        if (c < (int)d->changed.size() && d->changed[c])
                            merged[c] = row.newValues[c];
                    tree_->SetOriginal(level, slot, store::row::Encode(row.curValues));
                    tree_->WriteUnlogged(level, slot, store::row::Encode(merged));
                }
                break;
            case TReconcileAction::raRefresh:
                tree_->RevertRow(level, slot);
                if ((int)row.curValues.size() == L.ColumnCount() &&
                    tree_->L(level).At(slot).state == store::SlotState::Live)
                    tree_->WriteUnlogged(level, slot, store::row::Encode(row.curValues));
                break;
            default:
                break;
        }
    }
    AfterStoreChanged(true);
    for (void* c : std::vector<void*>(tree_->cursors)) {
        auto* ds = static_cast<TDataSet*>(c);
        if (ds != this && ds->Active()) ds->AfterStoreChanged(false);
    }
    DataEvent(TDataEvent::deDataSetChange);
}

Variant TClientDataSet::ReconcileValue(const TField* f, TDataSetState which) const {
    if (!reconcile_ || reconcile_->level != level_ || f->FieldNo() <= 0)
        return TDataSet::ReconcileValue(f, which);
    int col = f->FieldNo() - 1;
    const std::vector<Variant>* v = which == dsOldValue   ? &reconcile_->oldValues
                                    : which == dsNewValue ? &reconcile_->newValues
                                                          : &reconcile_->curValues;
    return col < (int)v->size() ? (*v)[col] : Variant::Null();
}

void TClientDataSet::SetReconcileValue(const TField* f, const Variant& v) {
    if (!reconcile_ || reconcile_->level != level_ || f->FieldNo() <= 0) {
        TDataSet::SetReconcileValue(f, v);
        return;
    }
    int col = f->FieldNo() - 1;
    auto& nv = reconcile_->newValues;
    if (nv.empty()) nv = reconcile_->oldValues;
    if (col < (int)nv.size()) nv[col] = v;
}

// ---- published properties ----

PLAT_PUBLISH(TClientDataSet) {
    p.Prop("ProviderName", &TClientDataSet::ProviderName, &TClientDataSet::SetProviderName);
    p.Prop("PacketRecords", &TClientDataSet::PacketRecords);
    p.Prop("FetchOnDemand", &TClientDataSet::FetchOnDemand);
    p.Prop("ValidateWithMask", &TClientDataSet::ValidateWithMask);
    p.Strings(
        "ControlType", [](TClientDataSet& d) { return d.ControlType; },
        [](TClientDataSet& d, const std::vector<std::string>& lines) { d.ControlType = lines; });
    p.Prop("OnReconcileError", &TClientDataSet::OnReconcileError, nullptr, "TReconcileErrorEvent");
}

}  // namespace plat
