// The host's message texts by kind letter and six-character code, in
// simplified Chinese and English, kept as data (messages/messages.tsv).
#pragma once
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace standin {

enum class MessageLanguage { SimplifiedChinese, English };

// "CHS"/"936" and anything unknown give SimplifiedChinese; "ENG"/"437" English.
MessageLanguage MessageLanguageFromTag(const std::string& tag);

struct MessageEntry {
    std::string kind;               // one letter: E W I C D Q T
    std::string code;               // six characters
    std::vector<std::string> args;  // what the callers fill, in order ("empty": an empty text)
    std::string chinese;
    std::string english;
    const std::string& Text(MessageLanguage lang) const {
        return lang == MessageLanguage::English ? english : chinese;
    }
};

// The printf-style argument places of a text ("%%" is not one).
int CountArgumentPlaces(const std::string& text);

class MessageCatalogue {
  public:
    // Reads a catalogue file; a malformed row, a duplicate (kind, code) or a
    // text whose argument places do not match its argument list raises
    // plat::EInOutError naming the line.
    static MessageCatalogue Load(const std::string& path);
    // The bundled catalogue, read once.
    static const MessageCatalogue& Bundled();

    // The row for (kind, code); an unknown kind falls back to the code's "E"
    // row, then to its first row. Null when the code is unknown. Kind "T" is
    // asked as "E" by the broker, so it needs no rows of its own.
    const MessageEntry* Find(const std::string& kind, const std::string& code) const;
    // The text for (kind, code), or the placeholder when the code is unknown.
    std::string Text(const std::string& kind, const std::string& code, MessageLanguage lang) const;
    // A visible text naming an unknown code; it has no argument places, so
    // formatting it with the caller's arguments cannot fail.
    static std::string Placeholder(const std::string& kind, const std::string& code,
                                   MessageLanguage lang);

    const std::vector<MessageEntry>& Entries() const { return entries_; }

  private:
    std::vector<MessageEntry> entries_;
    std::map<std::pair<std::string, std::string>, size_t> byKindCode_;
    std::map<std::string, std::vector<size_t>> byCode_;
};

}  // namespace standin
