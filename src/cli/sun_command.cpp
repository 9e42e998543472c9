// zulmarin sun DATE --lat LAT --lon LON --zone Z [--dst]
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <ostream>

#include "cli/cli.h"
#include "sun/sunrise.h"

namespace zul::cli {

namespace {


bool ParseNumber(const std::string& text, double& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() && std::isfinite(out);
}

bool ParseWhole(const std::string& text, int& out) {
    double v = 0;
    if (!ParseNumber(text, v) || v != static_cast<int>(v) || v < -24 || v > 24) return false;
    out = static_cast<int>(v);
    return true;
}

std::string TimeLine(const char* what, const DateTime& t, const DateTime& day) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s %02d:%02d:%02d", what, t.hour, t.minute, t.second);
    std::string line = buf;
    if (t.dayNumber() < day.dayNumber()) line += " (previous day)";
    if (t.dayNumber() > day.dayNumber()) line += " (next day)";
    return line + "\n";
}

} // namespace

const char* const sunHelp =
    "usage: zulmarin sun YYYY-MM-DD --lat LAT --lon LON --zone ZONE [--dst]\n"
    "Prints the day's sunrise, solar noon and sunset as local clock times.\n"
    "  --lat   latitude in degrees, positive north\n"
    "  --lon   longitude in degrees, positive WEST of Greenwich\n"
    "  --zone  standard-time offset from Greenwich in whole hours, positive west\n"
    "  --dst   daylight-saving time is in force (one hour later)\n";

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
    if (date.size() != 10 || !DateTime::parse(date, day)) return badInput(io, "DATE must be YYYY-MM-DD, not '" + date + "'");
    double lat = 0, lon = 0;
    int zone = 0;
    for (const char* need : {"--lat", "--lon", "--zone"})
        if (!values.count(need)) return badInput(io, std::string(need) + " is required (try sun --help)");
    if (!ParseNumber(values["--lat"], lat)) return badInput(io, "--lat is not a number: '" + values["--lat"] + "'");
    if (!ParseNumber(values["--lon"], lon)) return badInput(io, "--lon is not a number: '" + values["--lon"] + "'");
    if (!ParseWhole(values["--zone"], zone))
        return badInput(io, "--zone must be whole hours from -24 to 24: '" + values["--zone"] + "'");

    clsSunrise sun(day);
    sun.SetLatitude(lat);
    sun.SetLongitude(lon);
    sun.SetTimeZone(zone);
    sun.SetDaySavings(dst);
    sun.CalculateSun();
    io.out << TimeLine("sunrise", sun.Sunrise(), day) << TimeLine("noon", sun.SolarNoon(), day)
           << TimeLine("sunset", sun.Sunset(), day);
    return 0;
}

} // namespace zul::cli
