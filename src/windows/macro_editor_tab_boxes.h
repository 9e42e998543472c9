#pragma once
// The macro editor's four edit boxes (House Code, Unit Code, Action, Pause)
// without widgets: which texts each takes as the user types, what leaving a
// box does, what Enter does in it, and the pick lists opened by a double click.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zul::windows {

enum class EditBox { House, Unit, Action, Pause };

// The text a box holds after a keystroke (letters upper-cased), or nullopt
// when the keystroke is refused. House: one letter A to P. Unit: up to two
// digits (1 to 99, no leading 0) or up to three of the letters of "ALL" and
// "PRE". Action: up to three of the letters A B D F I L M N O R U. Pause: up
// to four characters of digits with at most one "." or ",".
std::optional<std::string> acceptBoxText(EditBox box, std::string_view text);

// What Enter does in a box.
enum class EnterKey {
    NextBox,    // the box is filled: on to the next box
    PickList,   // the box is empty: its pick list opens
    Calculator, // the pause box is empty: the seconds calculator opens
    EntryMode,  // the pause box is filled: on to the entry-mode choice
};

struct EditBoxes {
    std::string house, unit, action, pause;

    const std::string& text(EditBox box) const;
    void set(EditBox box, std::string text) { slot(box) = std::move(text); }
    // The "Enter" button is enabled only while all four boxes hold text.
    bool allFilled() const { return !house.empty() && !unit.empty() && !action.empty() && !pause.empty(); }
    // Leaving a box: the unit's shorthands ("P" -> "PRE", "A" -> "ALL"), the
    // action's ("D" -> "DIM", "B" -> "BRI", "N" -> "ON", "F" -> "OFF") with
    // the unit tied to it, the pause padded to four characters (at least 0.3 s).
    void leave(EditBox box);
    EnterKey enterKey(EditBox box) const;
    void clear() { *this = EditBoxes{}; }

private:
    std::string& slot(EditBox box);
};

// The entries of a box's pick list, and the one selected when it opens (the
// box's value, or "A", "1" or "ON" when the box holds none of them).
const std::vector<std::string>& pickList(EditBox box);
std::string pickListDefault(EditBox box, std::string_view current);

} // namespace zul::windows
