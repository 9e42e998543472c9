#pragma once
// The unit descriptions of the record store: record (house - 1) * 16 + unit
// holds house letter + unit number + "## " + text, enciphered ("B3## Porch
// light" in record 19). The main window, the command line and the MQTT
// bridge all read and write them here.
//
// Another process may write them too (zulmarin units describe): watch()
// checks the file every few seconds and reports every description that
// changed, so a running copy picks the change up.
//
// A unit may be marked as an appliance (switched on and off, never dimmed).
// The marks live in a small file of their own beside the record store,
// appliances.zul, one quoted unit name ("A3") per line, so that the record
// store keeps its format; a changed mark is reported as a changed description.
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/signal.h"
#include "settings/record_numbers.h"

namespace zul {
class EventLoop;
class RecordStore;
class Tick;
} // namespace zul

namespace zul::app {

inline constexpr int Houses = 16;
inline constexpr int UnitsPerHouse = 16;

// A unit: house 1 (A) to 16 (P), unit 1 to 16.
struct UnitAddress {
    int house = 1;
    int unit = 1;
    friend bool operator==(const UnitAddress&, const UnitAddress&) = default;
};
// "A3", "p16"; nullopt for anything else ("Q3", "A17", "A03", "A").
std::optional<UnitAddress> parseUnitAddress(const std::string& text);
// "A3".
std::string unitName(const UnitAddress& unit);

// Why a text with control characters, text-direction overrides or bytes
// that are not UTF-8 is not taken as a description.
inline constexpr const char* DescriptionRefusal =
    "A description is one line of plain text, without control characters or text-direction marks.";

struct DescriptionResult {
    bool saved = true;
    std::string message; // why it was refused (shown to the user)
    int fits = -1;       // for a text too long: how many of its characters fit
};

struct DescribedUnit {
    UnitAddress unit;
    std::string text;
    bool appliance = false;
};

// The file of appliance marks beside a record store file.
std::filesystem::path appliancesFile(const std::filesystem::path& recordStore);

class UnitDescriptions {
public:
    using Translate = std::function<std::string(const std::string&)>;
    static constexpr int WatchMs = 2000;
    // Until the record store is open and its first look taken, the watch looks this often.
    static constexpr int FirstLookMs = 100;

    UnitDescriptions(RecordStore& records, Translate translate = {});
    ~UnitDescriptions();
    UnitDescriptions(const UnitDescriptions&) = delete;
    UnitDescriptions& operator=(const UnitDescriptions&) = delete;

    static int record(const UnitAddress& unit) {
        return RecordNumber::FirstUnitDescription + (unit.house - 1) * UnitsPerHouse + unit.unit - 1;
    }

    // "" when the unit has none.
    std::string read(const UnitAddress& unit) const;
    // Stores the text ("" clears it). Refuses a text that is not plain text
    // (DescriptionRefusal), or that would not fit the record, saying how
    // many characters would; double quotes are dropped, as the cipher cannot
    // keep them.
    DescriptionResult write(const UnitAddress& unit, const std::string& text);
    // Every unit that has a description, house by house.
    std::vector<DescribedUnit> described() const;

    bool appliance(const UnitAddress& unit) const;
    // Marks a unit as an appliance or a lamp; "" or why the mark could not be stored.
    std::string setAppliance(const UnitAddress& unit, bool appliance);

    // Checks the record file every WatchMs for changes made by another process.
    // The first look, soon after the store opens, takes stock without reporting.
    void watch(EventLoop& loop);
    // One check now: re-reads the descriptions when the file changed.
    void poll();
    // A description changed (written here or found changed in the file).
    Signal<const UnitAddress&, const std::string&> changed;

private:
    static std::size_t slot(const UnitAddress& unit) { return static_cast<std::size_t>(record(unit) - 1); }
    void takeSnapshot();
    void remember(const UnitAddress& unit, const std::string& text);
    // Reads the marks when their file changed; returns the units whose mark did.
    std::vector<UnitAddress> readAppliances() const;

    RecordStore& records_;
    Translate tr_;
    std::unique_ptr<Tick> tick_;
    bool haveSnapshot_ = false;
    std::array<std::string, Houses * UnitsPerHouse> snapshot_;
    std::uint64_t seenGeneration_ = 0; // of the record store, at the last look
    mutable std::array<bool, Houses * UnitsPerHouse> appliances_{};
    mutable FileStamp appliancesStamp_;
    mutable bool appliancesRead_ = false;
};

} // namespace zul::app
