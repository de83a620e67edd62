#include "platform/ui/strings.h"

#include "platform/core/exceptions.h"

namespace plat {

void TControlStrings::changed() {
    if (updating_) return;
    OnChange(this);
}

void TControlStrings::inserted(int index) {
    if (updating_) {
        dirty_ = true;
        return;
    }
    if (listener_) listener_->StringsInserted(index);
    changed();
}

void TControlStrings::deleted(int index) {
    if (updating_) {
        dirty_ = true;
        return;
    }
    if (listener_) listener_->StringsDeleted(index);
    changed();
}

void TControlStrings::put(int index) {
    if (updating_) {
        dirty_ = true;
        return;
    }
    if (listener_) listener_->StringsPut(index);
    changed();
}

void TControlStrings::reset() {
    if (updating_) {
        dirty_ = true;
        return;
    }
    if (listener_) listener_->StringsReset();
    changed();
}

void TControlStrings::EndUpdate() {
    if (updating_ > 0 && --updating_ == 0 && dirty_) {
        dirty_ = false;
        reset();
    }
}

void TControlStrings::SetStrings(int index, std::string s) {
    list_.SetStrings(index, std::move(s));
    put(index);
}

int TControlStrings::AddObject(std::string s, void* object) {
    int before = list_.Count();
    int i = list_.AddObject(std::move(s), object);
    if (list_.Count() > before) inserted(i);
    return i;
}

void TControlStrings::InsertObject(int index, std::string s, void* object) {
    list_.InsertObject(index, std::move(s), object);
    inserted(index);
}

void TControlStrings::Delete(int index) {
    list_.Delete(index);
    deleted(index);
}

void TControlStrings::Clear() {
    if (list_.Count() == 0) return;
    list_.Clear();
    reset();
}

void TControlStrings::Exchange(int a, int b) {
    if (list_.Sorted()) throw EListError("Operation not allowed on sorted list");
    std::string sa = list_.Strings(a), sb = list_.Strings(b);
    void* oa = list_.Objects(a);
    void* ob = list_.Objects(b);
    list_.SetStrings(a, sb);
    list_.SetObjects(a, ob);
    list_.SetStrings(b, sa);
    list_.SetObjects(b, oa);
    put(a);
    put(b);
}

void TControlStrings::Move(int from, int to) {
    if (from == to) return;
    std::string s = list_.Strings(from);
    void* o = list_.Objects(from);
    BeginUpdate();
    list_.Delete(from);
    list_.InsertObject(to, s, o);
    dirty_ = true;
    EndUpdate();
}

void TControlStrings::AddStrings(const TStringList& other) {
    BeginUpdate();
    for (int i = 0; i < other.Count(); ++i) AddObject(other.Strings(i), other.Objects(i));
    EndUpdate();
}

void TControlStrings::Assign(const TStringList& other) {
    BeginUpdate();
    list_.Clear();
    for (int i = 0; i < other.Count(); ++i) list_.AddObject(other.Strings(i), other.Objects(i));
    dirty_ = true;
    EndUpdate();
}

void TControlStrings::Assign(TPersistent* source) {
    if (auto* s = dynamic_cast<TControlStrings*>(source)) {
        Assign(s->list_);
        return;
    }
    TPersistent::Assign(source);
}

void TControlStrings::SetValues(std::string_view name, std::string_view value) {
    list_.SetValues(name, value);
    reset();
}

void TControlStrings::SetText(std::string_view text) {
    list_.SetText(text);
    reset();
}

void TControlStrings::SetCommaText(std::string_view text) {
    list_.SetCommaText(text);
    reset();
}

std::vector<std::string> TControlStrings::Lines() const {
    std::vector<std::string> out;
    out.reserve(list_.Count());
    for (int i = 0; i < list_.Count(); ++i) out.push_back(list_.Strings(i));
    return out;
}

void TControlStrings::SetLines(const std::vector<std::string>& lines) {
    list_.Clear();
    for (auto& l : lines) list_.Add(l);
    reset();
}

void TControlStrings::SetLinesQuietly(const std::vector<std::string>& lines) {
    list_.Clear();
    for (auto& l : lines) list_.Add(l);
    changed();
}

void TControlStrings::SetSorted(bool on) {
    if (on == list_.Sorted()) return;
    list_.SetSorted(on);
    reset();
}

}  // namespace plat
