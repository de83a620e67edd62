// The lines of a control (combo and list box items, memo lines, radio group
// items): the platform's string list, telling its control about every change
// so the widget follows. BeginUpdate/EndUpdate batch a run of changes into
// one.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "platform/component/component.h"
#include "platform/core/stringlist.h"

namespace plat {

class StringsListener {
  public:
    virtual ~StringsListener() = default;
    virtual void StringsInserted(int index) = 0;
    virtual void StringsDeleted(int index) = 0;
    virtual void StringsPut(int index) = 0;
    virtual void StringsReset() = 0;
};

class TControlStrings : public TPersistent {
    PLAT_CLASS_NAMED("TStrings", TPersistent)
  public:
    explicit TControlStrings(StringsListener* listener = nullptr) : listener_(listener) {}

    int Count() const { return list_.Count(); }
    const std::string& Strings(int index) const { return list_.Strings(index); }
    const std::string& operator[](int index) const { return list_.Strings(index); }
    void SetStrings(int index, std::string s);
    void* Objects(int index) const { return list_.Objects(index); }
    void SetObjects(int index, void* object) { list_.SetObjects(index, object); }

    int Add(std::string s) { return AddObject(std::move(s), nullptr); }
    int AddObject(std::string s, void* object);
    void Insert(int index, std::string s) { InsertObject(index, std::move(s), nullptr); }
    void InsertObject(int index, std::string s, void* object);
    void Delete(int index);
    void Clear();
    void Exchange(int a, int b);
    void Move(int from, int to);
    void AddStrings(const TStringList& other);
    void Assign(const TStringList& other);
    void Assign(const TControlStrings& other) { Assign(other.list_); }
    void Assign(TPersistent* source) override;

    int IndexOf(std::string_view s) const { return list_.IndexOf(s); }
    int IndexOfObject(const void* o) const { return list_.IndexOfObject(o); }
    int IndexOfName(std::string_view name) const { return list_.IndexOfName(name); }
    std::string Names(int index) const { return list_.Names(index); }
    std::string ValueFromIndex(int index) const { return list_.ValueFromIndex(index); }
    std::string Values(std::string_view name) const { return list_.Values(name); }
    void SetValues(std::string_view name, std::string_view value);

    std::string Text() const { return list_.Text(); }
    void SetText(std::string_view text);
    std::string CommaText() const { return list_.CommaText(); }
    void SetCommaText(std::string_view text);
    std::vector<std::string> Lines() const;
    void SetLines(const std::vector<std::string>& lines);

    bool Sorted() const { return list_.Sorted(); }
    void SetSorted(bool on);

    void BeginUpdate() { ++updating_; }
    void EndUpdate();

    const TStringList& List() const { return list_; }
    // Replaces the lines without telling the control (it already shows them).
    void SetLinesQuietly(const std::vector<std::string>& lines);

    TNotifyEvent OnChange;

  private:
    void inserted(int index);
    void deleted(int index);
    void put(int index);
    void reset();
    void changed();
    TStringList list_;
    StringsListener* listener_;
    int updating_ = 0;
    bool dirty_ = false;
};

}  // namespace plat
