#pragma once
// Group files: program folder / "file<index>.grp", index 0 to 7 (group 1 is
// file0.grp). Line 1 is the label line "Group <n>, <label>"; every other line
// is the 16-character code of one ON command. One quoted field per line, CR LF.
// An absent file is an empty group.
#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/atomic_file.h"

namespace zul {
class Dialogs;
}

namespace zul::macros {

inline constexpr int kGroupCount = 8;
inline constexpr FileLimit GroupFileLimit{64 * 1024, "a group file holds a label and a few dozen commands"};
inline constexpr std::size_t kGroupLabelMax = 30; // characters

using Translate = std::function<std::string(const std::string&)>;
// The identity lookup, used until a language is plugged in.
std::string untranslated(const std::string& text);

// index 0 to 7.
std::filesystem::path groupFilePath(const std::filesystem::path& programFolder, int index);
// "Group 2, Hall" for number 2 (1-based).
std::string groupLabelLine(int number, std::string_view label);
// A label as the label box would hold it: at most 30 characters (UTF-8 aware),
// no double quotes and no line breaks, which the file could not keep.
std::string cleanGroupLabel(std::string_view label);

struct GroupContents {
    bool hasLabelLine = false;
    std::string label;              // from character 10 of the label line
    std::vector<std::string> items; // the other lines, in file order (empty lines skipped)
};
GroupContents parseGroupText(std::string_view bytes);
// nullopt when the file is absent or cannot be read.
std::optional<GroupContents> readGroupFile(const std::filesystem::path& file);
// "A1, C12": house letter and unit of each item; an item that does not decode
// is shown as its raw text.
std::string groupItemsText(const std::vector<std::string>& items);

std::string groupFileBytes(int number, std::string_view label, const std::vector<std::string>& items);
std::error_code writeGroupFile(const std::filesystem::path& file, int number, std::string_view label,
                               const std::vector<std::string>& items);

// The eight labels the main window shows, one per group.
struct GroupLabels {
    std::array<std::string, kGroupCount> labels;
    std::function<void(int index)> changed; // called after set(); may be empty
    const std::string& get(int index) const { return labels.at(static_cast<std::size_t>(index)); }
    void set(int index, std::string label);
    // Reads the label of every group file that exists in the folder.
    void load(const std::filesystem::path& programFolder);
};

// What goGrLabel needs from the rest of the program.
struct GroupFileServices {
    Dialogs* dialogs = nullptr; // for read errors
    Translate translate = untranslated;
    std::function<void(const std::string&)> logError; // an error-log entry
    std::function<void()> beep;
    std::function<void(double seconds)> pause;
};

// Get ("g") or put ("p") the label of a group file. Get returns the label, or
// "" when the file is absent or has no label line. Put rewrites the file with
// the new label line and every other line unchanged, and returns the label
// written; an absent file gives "" and nothing is written. Any other mode is
// logged, beeps twice half a second apart and returns "".
std::string goGrLabel(std::string_view gGet_pPut, const std::filesystem::path& file, const std::string& label,
                      const GroupFileServices& services = {});

} // namespace zul::macros
