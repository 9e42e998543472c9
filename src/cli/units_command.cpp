#include <iomanip>
#include <optional>
#include <ostream>

#include "app/unit_descriptions.h"
#include "cli/cli.h"
#include "cli/port_choice.h"
#include "platform/text.h"
#include "settings/paths.h"
#include "settings/record_store.h"

namespace zul::cli {

const char* const unitsHelp = "usage: zulmarin units\n"
                              "       zulmarin units describe UNIT TEXT [--appliance | --lamp]\n"
                              "Lists the units that have a description, as the main window shows them, or\n"
                              "sets the description of one unit. UNIT is a house letter and a unit number\n"
                              "(A3, P16); TEXT is the description, and \"\" clears it. A running copy of the\n"
                              "program shows the change within a few seconds, and its MQTT bridge announces\n"
                              "it to the hub.\n"
                              "  --appliance  the unit is an appliance module: the hub gets a switch, never\n"
                              "               dimmed (kept in appliances.zul beside the record store)\n"
                              "  --lamp       the unit is a lamp module again (the hub gets a dimmable light)\n"
                              "Without either, the unit stays what it was (a lamp unless marked).\n"
                              "Exit status: 0 done, 2 bad input (a text too long says how many characters\n"
                              "fit), 1 the record store could not be opened.\n";

namespace {

bool opened(RecordStore& records, const std::filesystem::path& file, bool forWriting, Io& io) {
    if (records.open(file, forWriting)) return true;
    say(io, recordStoreProblemText(records));
    return false;
}

int list(const std::filesystem::path& file, Io& io) {
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) return 0; // nothing described yet
    RecordStore records;
    if (!opened(records, file, false, io)) return 1;
    for (const auto& d : app::UnitDescriptions(records).described())
        io.out << std::left << std::setw(4) << app::unitName(d.unit) << printable(d.text) << "\n";
    return 0;
}

int describe(const std::filesystem::path& file, const std::string& unitText, const std::string& text,
             std::optional<bool> appliance, Io& io) {
    const auto unit = app::parseUnitAddress(unitText);
    if (!unit) return badInput(io, "unit '" + unitText + "' must be a house letter A to P and a unit 1 to 16, e.g. A3");
    if (!isPlainText(text)) return badInput(io, app::DescriptionRefusal);
    RecordStore records;
    if (!opened(records, file, true, io)) return 1;
    if (text.find('"') != std::string::npos) io.err << "zulmarin: double quotes are dropped from the text\n";
    app::UnitDescriptions descriptions(records);
    const auto result = descriptions.write(*unit, text);
    if (result.saved && appliance) {
        if (const std::string why = descriptions.setAppliance(*unit, *appliance); !why.empty()) {
            io.err << "zulmarin: " << why << "\n";
            return 1;
        }
    }
    if (result.saved) return 0;
    if (result.fits >= 0)
        return badInput(io, "the description is too long: " + std::to_string(result.fits) + " characters fit");
    return failed(io, result.message);
}

} // namespace

int unitsCommand(const Args& args, Io& io) {
    const IniSettingsStore ini(configFolder() / "settings.ini");
    ReadOnlySettings settings(ini);
    const std::filesystem::path file = recordStorePath(settings, programFolder(settings));
    if (args.empty()) return list(file, io);
    if (args[0] != "describe") return badInput(io, "unknown units command '" + args[0] + "' (try --help)");
    Args words;
    std::optional<bool> appliance;
    for (const std::string& a : args) {
        if (a != "--appliance" && a != "--lamp") words.push_back(a);
        else if (appliance && *appliance != (a == "--appliance"))
            return badInput(io, "give --appliance or --lamp, not both");
        else appliance = a == "--appliance";
    }
    if (words.size() != 3)
        return badInput(io, "units describe needs UNIT and TEXT, e.g. 'zulmarin units describe A3 \"Porch light\"'");
    return describe(file, words[1], words[2], appliance, io);
}

} // namespace zul::cli
