#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace velmora::swf {

struct DisplayObject;
struct CharFormat;
class EditHistory;

// What the user and scripts have made of one text field on the stage, beside its character's
// settings: where the caret and the selection are and how far the field has scrolled. Positions
// count UTF-16 units of the field's plain text, as scripts see them (Selection.getBeginIndex,
// TextField.length), so that a Chinese character is one unit and an emoji two.
struct TextFieldState {
    int32_t selectionBegin = 0;  // selectionBegin <= selectionEnd
    int32_t selectionEnd = 0;
    int32_t caret = 0;   // at one end of the selection; where typing goes
    int32_t scroll = 1;  // the first line shown, counted from 1 as scripts count it
    int32_t hscroll = 0; // pixels scrolled to the left
    // Settings a script replaced (see changeFieldSettings), kept for a while: the renderer's
    // caches know a field's settings by address, and new settings must not take the address of
    // ones a cache still remembers.
    std::vector<std::shared_ptr<const void>> retiredSettings;
    // Text formatted in parts is kept as HTML runs (see text_runs.h), which typing keeps.
    bool formattedRuns = false;
    // setNewTextFormat's look for text typed or set from then on; none: the look text follows.
    std::shared_ptr<const CharFormat> newTextFormat;
    // What the user's edits can undo and redo (see text_edit_history.h); made on the first edit.
    std::shared_ptr<EditHistory> history;
    // Its text came through a style sheet: read-only to typing, as styled text is.
    bool styled = false;
    // A plain text field whose text is kept as runs, which only HTML content can hold: scripts
    // still see html as false.
    bool plainRuns = false;
    // The HTML a script last gave the field, and the content the field showed for it: a style
    // sheet set later styles that text again, and scripts read it back while a sheet styles it.
    std::string htmlSource;
    std::string htmlSourceShown;
    // Expires with the field, so that a handle held by the focus or a script notices it is gone.
    std::shared_ptr<const char> life = std::make_shared<const char>('\0');
};

// A reference to a text field on the stage that notices when the field has left it (a goto, a
// removeTextField, its clip removed).
class TextFieldHandle {
public:
    TextFieldHandle() = default;
    // field must be an edit text whose textState is made (see DisplayObject::ensureTextState).
    TextFieldHandle(DisplayObject* field, const std::shared_ptr<const char>& life) : field_(field), life_(life) {}

    DisplayObject* get() const { return life_.expired() ? nullptr : field_; }
    bool operator==(const TextFieldHandle& other) const { return get() == other.get(); }

private:
    DisplayObject* field_ = nullptr;
    std::weak_ptr<const char> life_;
};

}  // namespace velmora::swf
