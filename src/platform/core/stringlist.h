// The platform's string list: lines with attached object pointers, name=value
// lines, comma and delimited texts, CR LF text, and an optional sorted mode.
// Comparisons ignore case unless CaseSensitive is set (locale-independent:
// AnsiCompareText / CompareStr of text.h).
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace plat {

// What Add does on a sorted list when the text is already there.
enum class TDuplicates { Ignore, Accept, Error };

class TStringList {
  public:
    int Count() const { return (int)items_.size(); }
    // Index checks raise EListError "List index out of bounds (n)".
    const std::string& Strings(int index) const;
    const std::string& operator[](int index) const { return Strings(index); }
    void SetStrings(int index, std::string s);  // raises on a sorted list
    void* Objects(int index) const;
    void SetObjects(int index, void* object);

    // Add returns the index of the line (on a sorted list, where it went; with
    // TDuplicates::Ignore, the index of the line already there).
    int Add(std::string s);
    int AddObject(std::string s, void* object);
    void Insert(int index, std::string s);  // raises on a sorted list
    void InsertObject(int index, std::string s, void* object);
    void Delete(int index);
    void Clear() { items_.clear(); }
    void AddStrings(const TStringList& other);
    void Assign(const TStringList& other);  // lines and objects, not the settings

    int IndexOf(std::string_view s) const;
    int IndexOfObject(const void* object) const;
    // Binary search of a sorted list: true when found (index of the first
    // equal line), else false with the index where it would go. On an
    // unsorted list it searches line by line.
    bool Find(std::string_view s, int& index) const;
    void Sort();

    // name=value lines. Lines without "=" have no name. Setting an empty value
    // removes the line; names are compared as the list compares.
    std::string Names(int index) const;
    std::string ValueFromIndex(int index) const;
    int IndexOfName(std::string_view name) const;
    std::string Values(std::string_view name) const;
    void SetValues(std::string_view name, std::string_view value);

    // Items containing blanks, control characters, the quote or the delimiter
    // are quoted with the quote character, quotes inside doubled. Reading
    // splits at the delimiter and at unquoted blanks.
    std::string CommaText() const;
    void SetCommaText(std::string_view text);
    std::string DelimitedText() const;
    void SetDelimitedText(std::string_view text);
    char Delimiter() const { return delimiter_; }
    void SetDelimiter(char c) { delimiter_ = c; }
    char QuoteChar() const { return quote_; }
    void SetQuoteChar(char c) { quote_ = c; }

    // Every line followed by CR LF; reading accepts CR LF, LF or CR.
    std::string Text() const;
    void SetText(std::string_view text);

    bool Sorted() const { return sorted_; }
    void SetSorted(bool on);
    TDuplicates Duplicates() const { return duplicates_; }
    void SetDuplicates(TDuplicates d) { duplicates_ = d; }
    bool CaseSensitive() const { return caseSensitive_; }
    void SetCaseSensitive(bool on);

  private:
    struct Item {
        std::string text;
        void* object = nullptr;
    };

    void check(int index) const;
    int compare(std::string_view a, std::string_view b) const;
    std::string delimited(char delimiter, char quote) const;
    void setDelimited(std::string_view text, char delimiter, char quote);

    std::vector<Item> items_;
    bool sorted_ = false;
    TDuplicates duplicates_ = TDuplicates::Ignore;
    bool caseSensitive_ = false;
    char delimiter_ = ',';
    char quote_ = '"';
};

}  // namespace plat
