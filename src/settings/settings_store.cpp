#include "settings/settings_store.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <ostream>

#include "platform/atomic_file.h"
#include "settings/error_log.h"

namespace zul {

namespace {
bool hasLineBreak(const std::string& s) { return s.find_first_of("\r\n") != std::string::npos; }

bool storable(const std::string& section, const std::string& key, const std::string& value) {
    return !trimBlanks(section).empty() && !trimBlanks(key).empty() && !hasLineBreak(section) && !hasLineBreak(key) &&
           !hasLineBreak(value) && section.find(']') == std::string::npos && key.find('=') == std::string::npos &&
           trimBlanks(key) == key && trimBlanks(section) == section;
}
} // namespace

IniDocument::IniDocument(std::filesystem::path file) : file_(std::move(file)) { load(); }

void IniDocument::load() {
    const FileRead read = readDataFile(file_, Limit);
    if (!read.ok() && !read.missing()) readProblem_ = file_.string() + ": " + read.problem;
    loadText(read.bytes);
}

void IniDocument::loadText(std::string_view bytes) {
    sections_.assign(1, Section{});
    const std::string text = textFromFile(bytes);
    LineCursor lines(text);
    for (std::string_view line; lines.next(line);) {
        // Written back with LF alone, a line keeps no CR at its end.
        while (line.ends_with('\r')) line.remove_suffix(1);
        const std::string trimmed = trimBlanks(line);
        if (trimmed.size() >= 2 && trimmed.front() == '[' && trimmed.back() == ']') {
            sections_.push_back(Section{trimBlanks(trimmed.substr(1, trimmed.size() - 2)), {}});
            continue;
        }
        const auto eq = line.find('=');
        if (eq == std::string::npos || trimBlanks(line.substr(0, eq)).empty())
            sections_.back().entries.push_back(Entry{std::string(line), "", true});
        else
            sections_.back().entries.push_back(
                Entry{trimBlanks(line.substr(0, eq)), std::string(line.substr(eq + 1)), false});
    }
}

IniDocument::Section* IniDocument::findSection(const std::string& name) {
    for (auto& s : sections_)
        if (!s.name.empty() && equalsNoCase(s.name, name)) return &s;
    return nullptr;
}

std::optional<std::string> IniDocument::read(const std::string& section, const std::string& key) const {
    for (const auto& s : sections_) {
        if (s.name.empty() || !equalsNoCase(s.name, section)) continue;
        for (const auto& e : s.entries)
            if (!e.plainLine && equalsNoCase(e.key, key)) return e.value;
    }
    return std::nullopt;
}

std::string IniDocument::text() const {
    std::string out;
    for (std::size_t i = 0; i < sections_.size(); ++i) {
        const Section& s = sections_[i];
        // Only the lines before the first header have none; a "[]" header is
        // kept, so what follows it never joins the section before it.
        if (i > 0) out += "[" + s.name + "]\n";
        for (const auto& e : s.entries) out += e.plainLine ? e.key + "\n" : e.key + "=" + e.value + "\n";
    }
    return out;
}

bool IniDocument::write(const std::string& section, const std::string& key, const std::string& value) {
    if (!storable(section, key, value)) return false;
    Section* s = findSection(section);
    if (!s) {
        sections_.push_back(Section{section, {}});
        s = &sections_.back();
    }
    auto it = std::find_if(s->entries.begin(), s->entries.end(),
                           [&](const Entry& e) { return !e.plainLine && equalsNoCase(e.key, key); });
    if (it != s->entries.end()) {
        if (it->value == value && saved_) return true;
        it->value = value;
    } else {
        // New keys go after the section's last setting, before trailing blank lines.
        auto last = std::find_if(s->entries.rbegin(), s->entries.rend(), [](const Entry& e) { return !e.plainLine; });
        s->entries.insert(last.base(), Entry{key, value, false});
    }
    return save();
}

bool IniDocument::remove(const std::string& section, const std::string& key) {
    Section* s = findSection(section);
    if (!s) return saved_;
    const auto removed =
        std::erase_if(s->entries, [&](const Entry& e) { return !e.plainLine && equalsNoCase(e.key, key); });
    return removed == 0 ? saved_ : save();
}

bool IniDocument::save() {
    if (!readProblem_.empty()) return saved_ = false;
    std::error_code ec;
    if (file_.has_parent_path()) std::filesystem::create_directories(file_.parent_path(), ec);
    // A file its own reader would refuse is not written: the value lasts until the program ends.
    const std::error_code failed = writeFileAtomically(file_, text(), Limit);
    saved_ = !failed;
    writeProblem_ = !failed ? ""
                    : failed == FileError::TooLarge
                        ? file_.string() + ": it would be larger than " + sizeText(Limit.maxBytes) + "; " + Limit.reason
                        : file_.string() + ": " + failed.message();
    return saved_;
}

std::string IniDocument::writeProblem() const {
    if (!readProblem_.empty()) return ""; // never written: said as a read problem
    if (!writeProblem_.empty()) return writeProblem_;
    const std::error_code ec = writableProblem(file_);
    return ec ? file_.string() + ": " + ec.message() : "";
}

std::optional<std::string> IniSettingsStore::read(const SettingKey& key) const {
    return ini_.read(std::string(key.section()), std::string(key.key()));
}

bool IniSettingsStore::write(const SettingKey& key, const std::string& value) {
    return ini_.write(std::string(key.section()), std::string(key.key()), value);
}

bool IniSettingsStore::remove(const SettingKey& key) {
    return ini_.remove(std::string(key.section()), std::string(key.key()));
}

namespace {
std::string memoryKey(const SettingKey& key) { return asciiLower(key.section()) + "\n" + asciiLower(key.key()); }
} // namespace

std::optional<std::string> MemorySettings::read(const SettingKey& key) const {
    const auto it = values_.find(memoryKey(key));
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

bool MemorySettings::write(const SettingKey& key, const std::string& value) {
    values_[memoryKey(key)] = value;
    return true;
}

bool MemorySettings::remove(const SettingKey& key) {
    values_.erase(memoryKey(key));
    return true;
}

std::string readSetting(const SettingsBackend& s, const SettingKey& key) {
    return s.read(key).value_or(std::string(key.defaultValue()));
}

void writeSetting(SettingsBackend& s, const SettingKey& key, const std::string& value) { s.write(key, value); }

void writeSettingIfChanged(SettingsBackend& s, const SettingKey& key, const std::string& value) {
    if (s.read(key) != value) s.write(key, value);
}

void deleteSetting(SettingsBackend& s, const SettingKey& key) { s.remove(key); }

namespace {
std::optional<int> storedEdge(const SettingsBackend& s, const SettingKey& key) {
    for (const std::string& text : {s.read(key).value_or(""), std::string(key.defaultValue())}) {
        const auto v = wholeNumberIn(text);
        if (v && *v >= INT_MIN && *v <= INT_MAX) return static_cast<int>(*v);
    }
    return std::nullopt;
}
} // namespace

std::optional<TwipPosition> storedWindowPosition(const SettingsBackend& s, WindowPositionKeys keys) {
    const auto left = storedEdge(s, keys.left), top = storedEdge(s, keys.top);
    if (!left || !top) return std::nullopt;
    return TwipPosition{*left, *top};
}

void storeWindowPosition(SettingsBackend& s, WindowPositionKeys keys, TwipPosition position) {
    s.write(keys.left, std::to_string(position.first));
    s.write(keys.top, std::to_string(position.second));
}

std::string settingsProblemText(const SettingsBackend& settings, bool oneLine) {
    std::string what = "The settings could not be read:", problem = settings.readProblem(),
                rest = "Zulmarin runs on its default settings and leaves the file as it is";
    if (problem.empty()) {
        what = "The settings cannot be saved:";
        problem = settings.writeProblem();
        rest = "changes made now last only until Zulmarin ends";
    }
    if (problem.empty()) return "";
    if (oneLine) return what + " " + problem + "; " + rest + ".";
    rest[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(rest[0])));
    return what + "\n" + problem + "\n" + rest + ".";
}

bool reportSettingsProblem(const SettingsBackend& settings, std::ostream& err, ErrorLog& log) {
    const std::string text = settingsProblemText(settings, true);
    if (text.empty()) return false;
    err << "zulmarin: " << printable(text) << "\n";
    log.writeErrorLog(text);
    return true;
}

} // namespace zul
