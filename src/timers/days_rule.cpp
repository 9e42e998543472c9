#include "timers/days_rule.h"

#include "platform/text.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace zul {

namespace {

constexpr unsigned day(int weekday) { return 1u << (weekday - 1); }
constexpr unsigned kAllDays = 0x7F;

const std::array<DaysRuleInfo, 8> kRules{{
    {DaysRule::Everyday, "Everyday", "run Everyday", kAllDays},
    {DaysRule::Weekdays, "Weekdays", "run Weekdays", day(2) | day(3) | day(4) | day(5) | day(6)},
    {DaysRule::Weekends, "Weekends", "run Weekends", day(1) | day(7)},
    {DaysRule::FriSat, "Fri & Sat", "run Fri && Sat", day(6) | day(7)},
    {DaysRule::SunThu, "Sun - Thu", "run Sun - Thu", day(1) | day(2) | day(3) | day(4) | day(5)},
    {DaysRule::OneTime, "One Time", "run One Time", kAllDays},
    {DaysRule::Never, "Never", "run Never", 0},
    {DaysRule::NotSet, "not set", "", 0},
}};

} // namespace

const DaysRuleInfo& daysRuleInfo(DaysRule rule) { return kRules[static_cast<std::size_t>(rule)]; }

std::string daysRuleCaption(DaysRule rule, const Translate& translate) {
    const std::string caption = daysRuleInfo(rule).caption;
    return rule == DaysRule::NotSet && translate ? translate(caption) : caption;
}

DaysRule daysRuleFromCaption(const std::string& caption) {
    for (const DaysRuleInfo& info : kRules)
        if (equalsNoCase(caption, info.caption)) return info.rule;
    return DaysRule::NotSet;
}

bool admits(DaysRule rule, int weekday) {
    if (weekday < 1 || weekday > 7) return false;
    return (daysRuleInfo(rule).weekdays & day(weekday)) != 0;
}

DaysRule daysRuleFromIndex(int index) {
    return index >= 0 && index < kChoosableDaysRules ? static_cast<DaysRule>(index) : DaysRule::Everyday;
}

unsigned loadedRuleColour(DaysRule rule) {
    if (rule == DaysRule::NotSet) return kColourNotSet;
    return rule == DaysRule::Never ? kColourNever : kColourActive;
}

} // namespace zul
