#include "platform/core/stringlist.h"

#include <algorithm>

#include "platform/core/exceptions.h"
#include "platform/core/text.h"

namespace plat {

void TStringList::check(int index) const {
    if (index < 0 || index >= Count())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

int TStringList::compare(std::string_view a, std::string_view b) const {
    return caseSensitive_ ? CompareStr(a, b) : AnsiCompareText(a, b);
}

const std::string& TStringList::Strings(int index) const {
    check(index);
    return items_[(size_t)index].text;
}

void TStringList::SetStrings(int index, std::string s) {
    if (sorted_) throw EListError("Operation not allowed on sorted list");
    check(index);
    items_[(size_t)index].text = std::move(s);
}

void* TStringList::Objects(int index) const {
    check(index);
    return items_[(size_t)index].object;
}

void TStringList::SetObjects(int index, void* object) {
    check(index);
    items_[(size_t)index].object = object;
}

int TStringList::Add(std::string s) {
    return AddObject(std::move(s), nullptr);
}

int TStringList::AddObject(std::string s, void* object) {
    if (!sorted_) {
        items_.push_back({std::move(s), object});
        return Count() - 1;
    }
    int index;
    if (Find(s, index)) {
        if (duplicates_ == TDuplicates::Ignore) return index;
        if (duplicates_ == TDuplicates::Error)
            throw EListError("String list does not allow duplicates");
        while (index < Count() && compare(items_[(size_t)index].text, s) == 0) ++index;
    }
    items_.insert(items_.begin() + index, Item{std::move(s), object});
    return index;
}

void TStringList::Insert(int index, std::string s) {
    InsertObject(index, std::move(s), nullptr);
}

void TStringList::InsertObject(int index, std::string s, void* object) {
    if (sorted_) throw EListError("Operation not allowed on sorted list");
    if (index < 0 || index > Count())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    items_.insert(items_.begin() + index, Item{std::move(s), object});
}

void TStringList::Delete(int index) {
    check(index);
    items_.erase(items_.begin() + index);
}

void TStringList::AddStrings(const TStringList& other) {
    if (&other == this) {
        TStringList copy = other;
        AddStrings(copy);
        return;
    }
    for (const Item& it : other.items_) AddObject(it.text, it.object);
}

void TStringList::Assign(const TStringList& other) {
    if (&other == this) return;
    Clear();
    AddStrings(other);
}

int TStringList::IndexOf(std::string_view s) const {
    if (sorted_) {
        int index;
        return Find(s, index) ? index : -1;
    }
    for (int i = 0; i < Count(); ++i)
        if (compare(items_[(size_t)i].text, s) == 0) return i;
    return -1;
}

int TStringList::IndexOfObject(const void* object) const {
    for (int i = 0; i < Count(); ++i)
        if (items_[(size_t)i].object == object) return i;
    return -1;
}

bool TStringList::Find(std::string_view s, int& index) const {
    if (!sorted_) {
        for (int i = 0; i < Count(); ++i)
            if (compare(items_[(size_t)i].text, s) == 0) {
                index = i;
                return true;
            }
        index = Count();
        return false;
    }
    auto it = std::lower_bound(
        items_.begin(), items_.end(), s,
        [this](const Item& a, std::string_view b) { return compare(a.text, b) < 0; });
    index = (int)(it - items_.begin());
    return it != items_.end() && compare(it->text, s) == 0;
}

void TStringList::Sort() {
    std::stable_sort(items_.begin(), items_.end(),
                     [this](const Item& a, const Item& b) { return compare(a.text, b.text) < 0; });
}

void TStringList::SetSorted(bool on) {
    if (on && !sorted_) Sort();
    sorted_ = on;
}

void TStringList::SetCaseSensitive(bool on) {
    if (on == caseSensitive_) return;
    caseSensitive_ = on;
    if (sorted_) Sort();
}

std::string TStringList::Names(int index) const {
    const std::string& s = Strings(index);
    size_t eq = s.find('=');
    return eq == std::string::npos ? std::string() : s.substr(0, eq);
}

std::string TStringList::ValueFromIndex(int index) const {
    const std::string& s = Strings(index);
    size_t eq = s.find('=');
    return eq == std::string::npos ? std::string() : s.substr(eq + 1);
}

int TStringList::IndexOfName(std::string_view name) const {
    for (int i = 0; i < Count(); ++i) {
        std::string_view s = items_[(size_t)i].text;
        size_t eq = s.find('=');
        if (eq != std::string_view::npos && compare(s.substr(0, eq), name) == 0) return i;
    }
    return -1;
}

std::string TStringList::Values(std::string_view name) const {
    int i = IndexOfName(name);
    return i < 0 ? std::string() : ValueFromIndex(i);
}

void TStringList::SetValues(std::string_view name, std::string_view value) {
    int i = IndexOfName(name);
    if (value.empty()) {
        if (i >= 0) Delete(i);
        return;
    }
    std::string line = std::string(name) + "=" + std::string(value);
    if (i < 0) {
        Add(std::move(line));
    } else if (sorted_) {  // a sorted list keeps its order: take the line out and add it again
        void* object = items_[(size_t)i].object;
        Delete(i);
        AddObject(std::move(line), object);
    } else {
        items_[(size_t)i].text = std::move(line);
    }
}

std::string TStringList::delimited(char delimiter, char quote) const {
    if (Count() == 1 && items_[0].text.empty()) return std::string(2, quote);
    std::string out;
    for (int i = 0; i < Count(); ++i) {
        const std::string& s = items_[(size_t)i].text;
        if (i) out += delimiter;
        bool needsQuotes = std::any_of(s.begin(), s.end(), [&](char c) {
            return (unsigned char)c <= ' ' || c == quote || c == delimiter;
        });
        out += needsQuotes ? QuotedStr(s, quote) : s;
    }
    return out;
}

void TStringList::setDelimited(std::string_view text, char delimiter, char quote) {
    Clear();
    size_t i = 0, n = text.size();
    auto blank = [&](size_t k) { return k < n && (unsigned char)text[k] <= ' '; };
    while (blank(i)) ++i;
    while (i < n) {
        std::string item;
        if (text[i] == quote) {
            ++i;
            while (i < n) {
                if (text[i] == quote) {
                    if (i + 1 < n && text[i + 1] == quote) {
                        item += quote;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += text[i++];
            }
        } else {
            size_t start = i;
            while (i < n && (unsigned char)text[i] > ' ' && text[i] != delimiter) ++i;
            item.assign(text.substr(start, i - start));
        }
        Add(std::move(item));
        while (blank(i)) ++i;
        if (i < n && text[i] == delimiter) {
            if (i + 1 == n) Add(std::string());  // a trailing delimiter ends with an empty item
            ++i;
            while (blank(i)) ++i;
        }
    }
}

std::string TStringList::CommaText() const {
    return delimited(',', '"');
}
void TStringList::SetCommaText(std::string_view text) {
    setDelimited(text, ',', '"');
}
std::string TStringList::DelimitedText() const {
    return delimited(delimiter_, quote_);
}
void TStringList::SetDelimitedText(std::string_view text) {
    setDelimited(text, delimiter_, quote_);
}

std::string TStringList::Text() const {
    std::string out;
    for (const Item& it : items_) {
        out += it.text;
        out += "\r\n";
    }
    return out;
}

void TStringList::SetText(std::string_view text) {
    Clear();
    size_t i = 0, n = text.size();
    while (i < n) {
        size_t start = i;
        while (i < n && text[i] != '\r' && text[i] != '\n') ++i;
        Add(std::string(text.substr(start, i - start)));
        if (i < n && text[i] == '\r') ++i;
        if (i < n && text[i] == '\n') ++i;
    }
}

}  // namespace plat
