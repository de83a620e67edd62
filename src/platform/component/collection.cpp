#include "platform/component/collection.h"

#include <algorithm>

#include "platform/core/exceptions.h"

namespace plat {

TCollectionItem::TCollectionItem(TCollection* collection) {
    SetCollection(collection);
}

TCollectionItem::~TCollectionItem() {
    SetCollection(nullptr);
}

void TCollectionItem::SetCollection(TCollection* collection) {
    if (collection == collection_) return;
    if (collection_) {
        auto& items = collection_->items_;
        items.erase(std::find(items.begin(), items.end(), this));
        collection_->changed(nullptr);
    }
    collection_ = collection;
    if (collection_) {
        collection_->items_.push_back(this);
        collection_->changed(nullptr);
    }
}

int TCollectionItem::Index() const {
    if (!collection_) return -1;
    auto& items = collection_->items_;
    return (int)(std::find(items.begin(), items.end(), this) - items.begin());
}

void TCollectionItem::SetIndex(int index) {
    int cur = Index();
    if (cur < 0 || index == cur) return;
    auto& items = collection_->items_;
    if (index < 0 || index >= (int)items.size())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    items.erase(items.begin() + cur);
    items.insert(items.begin() + index, this);
    collection_->changed(nullptr);
}

void TCollectionItem::Changed() {
    if (collection_) collection_->changed(this);
}

TCollection::TCollection(ItemFactory make, TPersistent* owner)
    : make_(std::move(make)), owner_(owner) {}

TCollection::~TCollection() {
    updateCount_ = 1;  // no notifications while dying
    Clear();
}

TCollectionItem* TCollection::Items(int index) const {
    if (index < 0 || index >= (int)items_.size())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return items_[index];
}

TCollectionItem* TCollection::Add() {
    // The item appends itself while its constructor runs; the collection
    // hears of it only once the item is whole.
    TCollectionItem* item;
    ++updateCount_;
    try {
        item = make_(this);
    } catch (...) {
        --updateCount_;
        throw;
    }
    --updateCount_;
    if (item->Collection() != this)
        item->SetCollection(this);
    else
        changed(item);
    return item;
}

TCollectionItem* TCollection::Insert(int index) {
    TCollectionItem* item = Add();
    item->SetIndex(index);
    return item;
}

void TCollection::Delete(int index) {
    delete Items(index);
}

void TCollection::Clear() {
    if (items_.empty()) return;
    BeginUpdate();
    while (!items_.empty()) delete items_.back();
    EndUpdate();
}

void TCollection::Assign(TPersistent* source) {
    auto* src = dynamic_cast<TCollection*>(source);
    if (!src) return TPersistent::Assign(source);
    if (src == this) return;
    BeginUpdate();
    try {
        Clear();
        for (auto* item : src->items_) Add()->Assign(item);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TCollection::EndUpdate() {
    if (updateCount_ > 0 && --updateCount_ == 0) Update(nullptr);
}

void TCollection::changed(TCollectionItem* item) {
    if (updateCount_ == 0) Update(item);
}

}  // namespace plat
