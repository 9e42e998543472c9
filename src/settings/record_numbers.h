#pragma once
// What each record of the record store (db.zld) holds; texts are stored
// enciphered.
#include <cstdint>

namespace zul {

struct RecordNumber {
    // Records 1 to 256: the unit descriptions ("A3## Porch light"), house
    // code by house code, (house - 1) * 16 + unit.
    static constexpr std::int32_t FirstUnitDescription = 1;
    static constexpr std::int32_t UnitDescriptions = 256;
    static constexpr std::int32_t Port = 270;              // the communication port ("1", "sim", a device)
    static constexpr std::int32_t HouseCode = 271;         // the house code list's position
    static constexpr std::int32_t UnitPage = 272;          // "True": units 9 to 16 shown
    static constexpr std::int32_t GroupsPanel = 273;       // "1": the quick groups folded out
    static constexpr std::int32_t PanicCaption = 274;      // empty: the default caption
    static constexpr std::int32_t TimersSwitch = 275;      // "1": the timers are on
    static constexpr std::int32_t FavouritesOptions = 277; // rows "," on top "," sorted by name
    static constexpr std::int32_t PanicColour = 279;       // "1" to "6"
    static constexpr std::int32_t PanicDelay = 280;        // minutes "," seconds
    static constexpr std::int32_t PanicGroup = 281;        // the quick group 1 to 8
    static constexpr std::int32_t FirstRun = 282;          // the date of the first start
};

} // namespace zul
