// zulmarin city [NAME|INDEX]
#include <charconv>
#include <cstdio>
#include <ostream>

#include "cli/cli.h"
#include "platform/text.h"
#include "sun/sunrise.h"

namespace zul::cli {

namespace {

std::string decimal(double v) {
    char buf[32];
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

// -1 when no row has this name or index.
int findCity(const std::string& wanted) {
    const auto& table = cityTable();
    int index = -1;
    const auto r = std::from_chars(wanted.data(), wanted.data() + wanted.size(), index);
    if (r.ec == std::errc() && r.ptr == wanted.data() + wanted.size())
        return index >= 0 && index < static_cast<int>(table.size()) ? index : -1;
    for (std::size_t i = 0; i < table.size(); ++i)
        if (equalsNoCase(trimBlanks(table[i].Name), trimBlanks(wanted))) return static_cast<int>(i);
    return -1;
}

} // namespace

const char* const cityHelp = "usage: zulmarin city [NAME|INDEX]\n"
                             "Without an argument, lists the city table: index, name, latitude (positive north),\n"
                             "longitude (positive west) and zone (whole hours, positive west).\n"
                             "With a name (letter case and surrounding blanks ignored) or an index, prints that\n"
                             "row's name, latitude, longitude and zone.\n";

int cityCommand(const Args& args, Io& io) {
    const auto& table = cityTable();
    if (args.empty()) {
        for (std::size_t i = 0; i < table.size(); ++i) {
            const CityRecord& c = table[i];
            char line[160];
            std::snprintf(line, sizeof line, "%2zu  %-38s %8s %9s %4d\n", i, c.Name.c_str(),
                          decimal(c.Latitude).c_str(), decimal(c.Longitude).c_str(), c.Zone);
            io.out << line;
        }
        return 0;
    }
    std::string wanted;
    for (const auto& a : args) wanted += (wanted.empty() ? "" : " ") + a;
    const int index = findCity(wanted);
    if (index < 0) return badInput(io, "no city '" + wanted + "' (zulmarin city lists them)");
    const CityRecord& c = table[static_cast<std::size_t>(index)];
    io.out << "name " << trimBlanks(c.Name) << "\nlatitude " << decimal(c.Latitude) << "\nlongitude "
           << decimal(c.Longitude) << "\nzone " << c.Zone << "\n";
    return 0;
}

} // namespace zul::cli
