// The routines under the lookup combo: the parameter object that travels
// between a combo and its form, the initial-letter (pinyin) search of
// Chinese text, the lookup server's reply parser and language sections, and
// the match rule of the incremental search.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/component/events.h"
#include "platform/core/pinyin.h"
#include "platform/core/stringlist.h"
#include "platform/core/variant.h"

namespace ktrb {

// Converts a lookup value in place (database or design-time text to what the
// user interface shows).
using TLookupValueEvent = plat::Event<plat::Variant&>;

// One lookup call's parameters: filled by the form, read by the combo; the
// combo fills ReturnValues when it hands a chosen row back.
class TInteraParam {
  public:
    virtual ~TInteraParam() = default;
    virtual const char* ClassName() const { return "TInteraParam"; }

    plat::Variant Params;        // the lookup server's request array
    plat::Variant ReturnValues;  // the chosen rows
    std::string DateSeparator;   // SYS002
    int DateFormatType = 0;      // SYS001
    bool ShowAmounts = false;
    bool ShowPrices = false;
    bool FastInputEnabled = false;
    TLookupValueEvent ConvertForDisplay;
    TLookupValueEvent ConvertFromDB;
    std::string FormCaption;
    std::string CodePage;  // "936", "950" or "437"

    // Every field; the variants by value, the handlers as they are.
    virtual void Assign(const TInteraParam& source);
    void SetParams(const plat::Variant& v) { Params = v; }
    void SetReturnValues(const plat::Variant& v) { ReturnValues = v; }
};

// ---- Initial letters ---------------------------------------------------------

// The initial-letter routines live in the platform; the lookup routines use
// them under their own names.
using plat::kPinyinLevel2;
using plat::PinyinInitialOf;
using plat::PinyinInitials;
using plat::PinyinInitialsOfText;

// ---- Lookup server reply ---------------------------------------------------

// The line between the language sections and the lines common to all languages.
inline constexpr const char* kReplyEndMarker = "==============MI005 END=================";

// "CHS", "CHT" or "ENG" for "936", "950" or "437"; empty for anything else.
std::string LanguageTag(std::string_view codePage);

// The reply lines to parse for a user interface code page: the common lines,
// then the lines of the language's section ("CHT" falls back to "CHS" when
// the reply has no CHT section). A reply without the marker, or with nothing
// after it, is taken whole.
plat::TStringList SelectLanguageSection(const std::string& reply, std::string_view codePage);

// Entries "--NAME;comment" followed by their value lines into NAME=value
// (value lines joined by CR LF). An entry without lines is absent; a name
// given twice keeps the later value.
void ParseReplyLines(const plat::TStringList& lines, plat::TStringList& dest);

// ---- Incremental search ------------------------------------------------------

// The match rule of the combo's incremental search for one typed value: a
// field's text matches when the value occurs in it, ignoring case and outer
// blanks; under code page 936 also when it occurs in the text's initials. An
// empty value matches nothing.
class TLookupMatcher {
  public:
    TLookupMatcher(std::string_view value, std::string_view codePage);
    bool Empty() const { return search_.empty(); }
    bool Matches(std::string_view fieldText) const;

  private:
    std::string search_;
    bool pinyin_ = false;
};

}  // namespace ktrb
