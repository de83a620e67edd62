// Collections: owned lists of items that publish their own properties
// (status-bar panels, grid columns, list-view columns). A collection is
// reached by index under any name ("Panels.Items_0.Text").
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "platform/component/component.h"

namespace plat {

class TCollection;

class TCollectionItem : public TPersistent {
    PLAT_CLASS(TCollectionItem, TPersistent)
  public:
    // Appends itself to the collection when one is given.
    explicit TCollectionItem(TCollection* collection = nullptr);
    ~TCollectionItem() override;

    TCollection* Collection() const { return collection_; }
    void SetCollection(TCollection* collection);
    int Index() const;
    void SetIndex(int index);
    virtual std::string DisplayName() const { return ClassName(); }

  protected:
    // Tells the collection that this item changed.
    void Changed();

  private:
    TCollection* collection_ = nullptr;
};

class TCollection : public TPersistent {
    PLAT_CLASS(TCollection, TPersistent)
  public:
    // make(collection) creates an item that appends itself (its constructor
    // passes the collection on to TCollectionItem).
    using ItemFactory = std::function<TCollectionItem*(TCollection*)>;
    explicit TCollection(ItemFactory make, TPersistent* owner = nullptr);
    template <class I>
    static ItemFactory FactoryOf() {
        return [](TCollection* c) -> TCollectionItem* { return new I(c); };
    }
    ~TCollection() override;

    TPersistent* Owner() const { return owner_; }
    int Count() const { return (int)items_.size(); }
    // Raises EListError for an index out of range.
    TCollectionItem* Items(int index) const;
    template <class I>
    I* ItemAs(int index) const {
        return static_cast<I*>(Items(index));
    }
    TCollectionItem* Add();
    TCollectionItem* Insert(int index);
    void Delete(int index);
    void Clear();
    // Same number of items, each item assigned from the source's.
    void Assign(TPersistent* source) override;

    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();

  protected:
    // Called after a change; item nullptr means the whole collection.
    virtual void Update(TCollectionItem* item) {}

  private:
    friend class TCollectionItem;
    void changed(TCollectionItem* item);

    ItemFactory make_;
    TPersistent* owner_;
    std::vector<TCollectionItem*> items_;
    int updateCount_ = 0;
};

}  // namespace plat
