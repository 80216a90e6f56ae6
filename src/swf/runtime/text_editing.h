#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "swf/runtime/display_object.h"
#include "swf/runtime/text_field_state.h"

namespace velmora::swf {

class MovieInstance;
struct DisplayObject;
struct EditTextCharacter;

// Editing a text field's plain text as a user does it: typing, deleting, moving the caret and
// selecting. Text is UTF-16, as the field's positions count it; line breaks are '\r'. Every
// operation leaves the state's positions inside the text and never between the two halves of a
// surrogate pair, whatever it was given.

// What a user may type into a field. Scripts are not held to these (replaceSel, text).
struct EditRules {
    int32_t maxChars = 0;  // longest text a user can make, UTF-16 units; 0 for no limit
    // The characters a user may type, as scripts give them: "A-Z0-9" allows those, "^aeiou"
    // everything but those, "A-Z^Q" the capitals but Q; "\\" escapes '-', '^' and '\'. Empty
    // allows everything.
    std::string restrict;
    bool multiline = false;  // whether a line break can be typed or pasted
};

// Whether restrict (see EditRules) lets the code point c be typed.
bool restrictAllows(std::string_view restrict, char32_t c);

// Where the lines of a field begin as it is laid out, for Home, End, Up and Down. Without one
// the model takes the text's own lines (broken at '\r').
class EditLines {
public:
    virtual ~EditLines() = default;
    virtual int32_t lineStart(int32_t position) const = 0;
    virtual int32_t lineEnd(int32_t position) const = 0;  // before the line's break
    // The position `lines` lines below (negative: above) position, as near its x as the line
    // allows; the first or last position when that passes the first or last line.
    virtual int32_t vertical(int32_t position, int32_t lines) const = 0;
};

enum class CaretMove { Left, Right, WordLeft, WordRight, LineStart, LineEnd, TextStart, TextEnd, Up, Down };

// Puts state's positions inside text, off the middle of a pair, the selection ordered.
void clampState(const std::u16string& text, TextFieldState& state);
// The selected text.
std::u16string selectedText(const std::u16string& text, const TextFieldState& state);

// The user typed or pasted input at the caret, replacing the selection: what the rules allow of
// it goes in (line breaks made '\r', or spaces where no line break may be typed; other control
// characters dropped; cut to maxChars without splitting a character). Returns whether the text
// changed. With nothing allowed and a selection, the selection stays.
bool typeText(std::u16string& text, TextFieldState& state, std::u16string_view input, const EditRules& rules);
// The script's replaceSel: input replaces the selection as it is, the caret after it.
bool replaceSelected(std::u16string& text, TextFieldState& state, std::u16string_view input);
// Backspace (backward) and Delete: the selection, or the character (a whole word with byWord)
// before or after the caret. Returns whether the text changed.
bool deleteText(std::u16string& text, TextFieldState& state, bool backward, bool byWord);
// Moves the caret; with extend, the selection's other end stays where it was.
void moveCaret(const std::u16string& text, TextFieldState& state, CaretMove move, bool extend,
               const EditLines* lines = nullptr);
// Puts the caret at position (clamped); with extend, the selection reaches from its other end.
void placeCaret(const std::u16string& text, TextFieldState& state, int32_t position, bool extend);
void selectAll(const std::u16string& text, TextFieldState& state);
// Selects the word (a run of letters and digits, of CJK characters, of spaces, or one other
// character) at position.
void selectWord(const std::u16string& text, TextFieldState& state, int32_t position);

// Text in UTF-8 and UTF-16; broken sequences become U+FFFD, lone surrogates too.
std::u16string toUtf16(std::string_view utf8);
std::string fromUtf16(std::u16string_view utf16);

// Fields on the stage.

// The object's edit-text character, or nullptr when it is no text field.
const EditTextCharacter* editTextOf(const DisplayObject& object);
// A field the user can type into (not read-only), and one whose text can be selected.
bool isInputField(const DisplayObject& object);
bool isSelectableField(const DisplayObject& object);
// The plain text the field shows, line breaks as '\r': its content, or its initial text until it
// has content; an HTML field's text without its tags, entities decoded.
std::u16string fieldText(const DisplayObject& field, uint8_t swfVersion);
// Gives the field text made by editing. An HTML field keeps the formatting its content opens
// with, its lines joined with <br>.
void setFieldText(DisplayObject& field, const std::u16string& text, uint8_t swfVersion);
// The rules the field's settings make for typing.
EditRules editRulesOf(const DisplayObject& field);

// What a user did to the focused field, applied: the field's text and state are read, op runs on
// them and, when it reports a change of text, the text goes back to the field and the movie hears
// of the edit (MovieInstance::textEdited). A change of caret or selection alone only repaints.
template <typename Op>
bool editField(MovieInstance& movie, DisplayObject& field, Op&& op);

// The script's replaceSel on field: the selection (the caret when none) replaced by utf8, with
// no rules applied. A script's change: the movie repaints, onChanged does not run.
void replaceSelection(MovieInstance& movie, DisplayObject& field, std::string_view utf8);

// For editField, kept out of the template.
uint8_t movieVersion(const MovieInstance& movie);
void noteFieldChange(MovieInstance& movie, DisplayObject& field, bool textChanged);
// The user scrolled field (the wheel, or the caret carried past its edge): the movie repaints
// and the field's onScroller and its listeners' run, as they do when a script scrolls it.
void noteFieldScrolled(MovieInstance& movie, DisplayObject& field);

template <typename Op>
bool editField(MovieInstance& movie, DisplayObject& field, Op&& op) {
    const uint8_t version = movieVersion(movie);
    std::u16string text = fieldText(field, version);
    TextFieldState& state = field.ensureTextState();
    clampState(text, state);
    const TextFieldState before = state;
    const bool changed = op(text, state);
    if (changed) setFieldText(field, text, version);
    const bool moved = before.caret != state.caret || before.selectionBegin != state.selectionBegin ||
                       before.selectionEnd != state.selectionEnd;
    if (changed || moved) noteFieldChange(movie, field, changed);
    return changed;
}

}  // namespace velmora::swf

