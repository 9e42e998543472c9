// zulmarin sun DATE --lat LAT --lon LON --zone Z [--dst]
#include <cctype>
#include <cmath>
#include <cstdio>
#include <map>
#include <ostream>

#include "cli/cli.h"
#include "sun/sunrise.h"

namespace zul::cli {

namespace {

std::string timeLine(const char* what, const DateTime& t, const DateTime& day) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s %02d:%02d:%02d", what, t.hour, t.minute, t.second);
    std::string line = buf;
    if (t.dayNumber() < day.dayNumber()) line += " (previous day)";
    if (t.dayNumber() > day.dayNumber()) line += " (next day)";
    return line + "\n";
}

} // namespace

const char* const sunHelp = "usage: zulmarin sun YYYY-MM-DD --lat LAT --lon LON --zone ZONE [--dst]\n"
                            "Prints the day's sunrise, solar noon and sunset as local clock times.\n"
                            "  --lat   latitude in degrees, positive north (-90 to 90)\n"
                            "  --lon   longitude in degrees, positive WEST of Greenwich (-180 to 180)\n"
                            "  --zone  standard-time offset from Greenwich in whole hours, positive west\n"
                            "          (-14 to 14)\n"
                            "  --dst   daylight-saving time is in force (one hour later)\n"
                            "Numbers are plain decimals such as 52.5 or -0,25.\n";

int sunCommand(const Args& args, Io& io) {
    std::string date;
    std::map<std::string, std::string> values;
    bool dst = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--dst") {
            dst = true;
        } else if (a == "--lat" || a == "--lon" || a == "--zone") {
            if (i + 1 >= args.size()) return badInput(io, a + " needs a value");
            values[a] = args[++i];
        } else if (a.starts_with("-") && !(a.size() > 1 && (std::isdigit(static_cast<unsigned char>(a[1]))))) {
            return badInput(io, "unknown option '" + a + "' (try sun --help)");
        } else if (date.empty()) {
            date = a;
        } else {
            return badInput(io, "unexpected argument '" + a + "'");
        }
    }
    DateTime day;
    if (!DateTime::parse(date, day) || date.size() != 10)
        return badInput(io, "DATE must be YYYY-MM-DD, not '" + date + "'");
    for (const char* need : {"--lat", "--lon", "--zone"})
        if (!values.count(need)) return badInput(io, std::string(need) + " is required (try sun --help)");
    const auto lat = parseLocationNumber(values["--lat"]), lon = parseLocationNumber(values["--lon"]);
    const auto zone = parseLocationNumber(values["--zone"]);
    if (!lat) return badInput(io, "--lat must be a decimal number of degrees, not '" + values["--lat"] + "'");
    if (!lon) return badInput(io, "--lon must be a decimal number of degrees, not '" + values["--lon"] + "'");
    if (!zone || *zone != std::trunc(*zone))
        return badInput(io, "--zone must be a whole number of hours, not '" + values["--zone"] + "'");
    if (const std::string problem = placeProblem(*lat, *lon, *zone); !problem.empty()) return badInput(io, problem);

    SunCalculator sun(day);
    sun.setLatitude(*lat);
    sun.setLongitude(*lon);
    sun.setTimeZone(static_cast<int>(*zone));
    sun.setDaySavings(dst);
    sun.calculateSun();
    io.out << timeLine("sunrise", sun.sunrise(), day) << timeLine("noon", sun.solarNoon(), day)
           << timeLine("sunset", sun.sunset(), day);
    return 0;
}

} // namespace zul::cli
