// Edit masks with the platform's semantics, and the mask edit.
//
// A mask is "mask;save;blank": the mask characters ("0" digit, "9" optional
// digit, "#" optional digit or sign, "L"/"l" letter, "A"/"a" letter or digit,
// "C"/"c" any character, ">" upper case, "<" lower case, "<>" neither, "!"
// optional characters as leading blanks, "\" next character literal, ":"
// and "/" the time and date separators, "_" a blank); save "0" keeps the
// literals out of Text; blank is the character shown in empty positions
// ("_" unless given). The edit text shows every position; Text is what the
// program reads: literals kept or not, empty positions as spaces.
#pragma once
#include <string>
#include <vector>

#include "platform/ui/stdctrls.h"

namespace plat {

class TEditMask {
  public:
    TEditMask() = default;
    explicit TEditMask(const std::string& editMask);

    bool IsMasked() const { return !positions_.empty(); }
    bool SaveLiterals() const { return save_; }
    char32_t Blank() const { return blank_; }
    bool Reverse() const { return reverse_; }
    int Length() const { return (int)positions_.size(); }
    bool IsLiteral(int pos) const;

    // The edit text of an empty value.
    std::string EmptyEditText() const;
    // The edit text shown for a Text value, and the Text of an edit text.
    std::string EditTextOf(const std::string& text) const;
    std::string TextOf(const std::string& editText) const;
    // True when every required position is filled; else false with pos at
    // the first empty one.
    bool Validate(const std::string& editText, int& pos) const;

    // Typing at cursor over the selection [cursor, cursor + selLength):
    // false (and nothing changed) when the character does not fit.
    bool InputChar(std::u32string& edit, int& cursor, int selLength, char32_t ch) const;
    // Backspace and Delete: the positions become blank.
    void Backspace(std::u32string& edit, int& cursor, int selLength) const;
    void Delete(std::u32string& edit, int& cursor, int selLength) const;
    // The first editable position at or after pos (Length() when none).
    int NextEditable(int pos) const;

  private:
    enum class Kind { Literal, Required, Optional };
    enum class Case { None, Upper, Lower };
    struct Position {
        Kind kind = Kind::Literal;
        char32_t mask = 0;  // the mask character, or the literal shown
        Case charCase = Case::None;
    };
    bool accepts(const Position& p, char32_t ch) const;
    std::vector<Position> positions_;
    bool save_ = true;
    bool reverse_ = false;
    char32_t blank_ = '_';
};

// The platform's FormatMaskText: a value laid out by a mask, blanks as spaces.
std::string FormatMaskText(const std::string& editMask, const std::string& value);

class TCustomMaskEdit : public TCustomEdit {
    PLAT_CLASS(TCustomMaskEdit, TCustomEdit)
  public:
    explicit TCustomMaskEdit(TComponent* owner);
    const std::string& EditMask() const { return editMask_; }
    void SetEditMask(const std::string& v);
    bool IsMasked() const { return mask_.IsMasked(); }
    // What the control shows, blanks and literals included.
    std::string EditText() const;
    void SetEditText(const std::string& v);
    // Raises EDBEditError when a required position is empty (only after the
    // user changed the text).
    void ValidateEdit();
    // Puts back the text from when the control was entered.
    void Reset();

  protected:
    std::string GetText() const override;
    void TextChanged() override;
    void KeyDown(uint16_t& key, TShiftState shift) override;
    void KeyPress(char32_t& key) override;
    // The mask's own handling of a key, after the handlers had it.
    void MaskKeyDown(uint16_t& key, TShiftState shift);
    void MaskKeyPress(char32_t& key);
    void DoEnter() override;
    void DoExit() override;

  private:
    void setEdit(const std::u32string& edit, int cursor);
    std::string editMask_;
    TEditMask mask_;
    std::string oldValue_;
    // Set while validation puts the focus back: the old value stays.
    bool reEnter_ = false;
};

class TMaskEdit : public TCustomMaskEdit {
    PLAT_CLASS(TMaskEdit, TCustomMaskEdit)
  public:
    using TCustomMaskEdit::TCustomMaskEdit;
};

}  // namespace plat
