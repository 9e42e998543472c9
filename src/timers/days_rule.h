#pragma once
// The days rules of a timer: which weekdays it may run on. One table holds
// every rule's caption, menu caption and weekday set; everything else asks it.
#include <string>

#include "timers/translate.h"

namespace zul {

// In the order of the days list and of the "run ..." menu, so a rule's value
// is also its "RunDef" index. NotSet is the rule of an incomplete timer.
enum class DaysRule { Everyday, Weekdays, Weekends, FriSat, SunThu, OneTime, Never, NotSet };

inline constexpr int kChoosableDaysRules = 7; // Everyday .. Never

struct DaysRuleInfo {
    DaysRule rule;
    const char* caption;     // as shown in the days label and stored in the file
    const char* menuCaption; // the "Timer Setup Defaults to:" menu entry ("" for NotSet)
    unsigned weekdays;       // bit (w - 1) set when weekday w (Sunday = 1 ... Saturday = 7) is admitted
};

const DaysRuleInfo& daysRuleInfo(DaysRule rule);

// The caption as stored and shown: the English caption, except "not set",
// which goes through the language lookup.
std::string daysRuleCaption(DaysRule rule, const Translate& translate = identityText);

// Reads a stored caption (the English captions, any letter case). Empty and
// unknown texts, the translated "not set" among them, give NotSet, so a rule
// nobody can read never makes a timer run.
DaysRule daysRuleFromCaption(const std::string& caption);

// True when the rule lets a timer run on weekday (Sunday = 1 ... Saturday = 7).
// "One Time" admits every day (it turns into "Never" once it has run).
bool admits(DaysRule rule, int weekday);

// The rule a "RunDef" index stands for (out-of-range indexes give Everyday).
DaysRule daysRuleFromIndex(int index);

// Colours as &HBBGGRR values.
inline constexpr unsigned kColourNotSet = 0xE0E0E0;   // grey
inline constexpr unsigned kColourNever = 0xC0C0FF;    // light red
inline constexpr unsigned kColourActive = 0xC0FFC0;   // light green
inline constexpr unsigned kColourNotToday = 0xC0FFFF; // light yellow

// The colour of a days label right after loading.
unsigned loadedRuleColour(DaysRule rule);

} // namespace zul
