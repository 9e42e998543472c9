#include "macros/group_file.h"

#include "macros/cro_codes.h"
#include "platform/text.h"
#include "platform/atomic_file.h"
#include "platform/dialogs.h"

namespace zul::macros {

namespace {

constexpr std::string_view kLabelMarker = "Group";
constexpr std::size_t kLabelStart = 9; // the label starts at character 10 of the label line

bool isLabelLine(std::string_view line) { return line.starts_with(kLabelMarker); }

// The group number (1 to 8) named by a path ending in "<digit>.grp".
std::optional<int> groupNumberOfPath(const std::filesystem::path& file) {
    const std::string name = file.filename().string();
    if (name.size() < 5 || !name.ends_with(".grp")) return std::nullopt;
    const char digit = name[name.size() - 5];
    if (digit < '0' || digit > '9') return std::nullopt;
    return digit - '0' + 1;
}

// Reads a group file that exists; on failure tells the user and the error log.
std::optional<std::string> readForLabel(const std::filesystem::path& file, const GroupFileServices& services) {
    FileRead read = readDataFile(file, GroupFileLimit);
    if (read.ok()) return std::move(read.bytes);
    const std::string text =
        services.translate("Error") + " " + std::to_string(read.error.value()) + ": " + read.problem;
    if (services.dialogs) services.dialogs->message(text);
    if (services.logError) services.logError(text + ", goGrLabel in frmMcrSetup");
    return std::nullopt;
}

std::string putLabel(const std::filesystem::path& file, const std::string& label, const GroupFileServices& services) {
    const auto number = groupNumberOfPath(file);
    if (!number) {
        if (services.logError) services.logError("goGrLabel: " + file.string() + " is not a group file");
        return {};
    }
    const auto bytes = readForLabel(file, services);
    if (!bytes) return {};
    std::vector<std::string> lines = unquotedLines(textFromFile(*bytes));
    if (!lines.empty() && isLabelLine(lines.front())) lines.erase(lines.begin());
    const std::string written = cleanGroupLabel(label);
    std::string out = quotedLine(groupLabelLine(*number, written));
    for (const auto& line : lines) out += quotedLine(line);
    if (const auto ec = writeFileAtomically(file, out, GroupFileLimit)) {
        if (services.logError) services.logError("goGrLabel: " + file.string() + ": " + ec.message());
        return {};
    }
    return written;
}

} // namespace

std::string untranslated(const std::string& text) { return text; }

std::filesystem::path groupFilePath(const std::filesystem::path& programFolder, int index) {
    return programFolder / ("file" + std::to_string(index) + ".grp");
}

std::string groupLabelLine(int number, std::string_view label) {
    return "Group " + std::to_string(number) + ", " + std::string(label);
}

std::string cleanGroupLabel(std::string_view label) {
    std::string out;
    std::size_t characters = 0;
    for (char c : label) {
        if (c == '"' || c == '\r' || c == '\n') continue;
        const bool startsCharacter = (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        if (startsCharacter && ++characters > kGroupLabelMax) break;
        out += c;
    }
    return out;
}

GroupContents parseGroupText(std::string_view bytes) {
    GroupContents group;
    const std::vector<std::string> lines = unquotedLines(textFromFile(bytes));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (isLabelLine(lines[i])) {
            if (i == 0) {
                group.hasLabelLine = true;
                group.label = lines[i].size() > kLabelStart ? lines[i].substr(kLabelStart) : std::string();
            }
            continue;
        }
        std::string item = trimBlanks(lines[i]);
        if (!item.empty()) group.items.push_back(std::move(item));
    }
    return group;
}

std::optional<GroupContents> readGroupFile(const std::filesystem::path& file) {
    const FileRead read = readDataFile(file, GroupFileLimit);
    if (!read.ok()) return std::nullopt;
    return parseGroupText(read.bytes);
}

std::string groupItemsText(const std::vector<std::string>& items) {
    std::string text;
    for (const auto& item : items) {
        if (!text.empty()) text += ", ";
        const auto command = decodeCode(item);
        text += command ? command->house + command->unit : item;
    }
    return text;
}

std::string groupFileBytes(int number, std::string_view label, const std::vector<std::string>& items) {
    std::string bytes = quotedLine(groupLabelLine(number, cleanGroupLabel(label)));
    for (const auto& item : items) bytes += quotedLine(item);
    return bytes;
}

std::error_code writeGroupFile(const std::filesystem::path& file, int number, std::string_view label,
                               const std::vector<std::string>& items) {
    return writeFileAtomically(file, groupFileBytes(number, label, items), GroupFileLimit);
}

void GroupLabels::set(int index, std::string label) {
    labels.at(static_cast<std::size_t>(index)) = std::move(label);
    if (changed) changed(index);
}

void GroupLabels::load(const std::filesystem::path& programFolder) {
    for (int i = 0; i < kGroupCount; ++i) {
        if (const auto group = readGroupFile(groupFilePath(programFolder, i))) set(i, group->label);
    }
}

std::string goGrLabel(std::string_view gGet_pPut, const std::filesystem::path& file, const std::string& label,
                      const GroupFileServices& services) {
    if (gGet_pPut != "g" && gGet_pPut != "p") {
        if (services.logError)
            services.logError("Fucntion goGrLabel: frmMcrSetup: gGet_pPut must be a g for Get or a p for Put");
        if (services.beep) services.beep();
        if (services.pause) services.pause(0.5);
        if (services.beep) services.beep();
        return {};
    }
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return {};
    if (gGet_pPut == "p") return putLabel(file, label, services);
    const auto bytes = readForLabel(file, services);
    return bytes ? parseGroupText(*bytes).label : std::string();
}

} // namespace zul::macros
