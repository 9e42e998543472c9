#pragma once
// The language lookups the timer logic needs, as plain functions so the
// language files can be plugged in by whoever owns them.
#include <functional>
#include <string>

#include "platform/text.h"

namespace zul {

// Looks an English text up in the current language.
using Translate = std::function<std::string(const std::string&)>;
inline std::string identityText(const std::string& s) { return s; }

// Captions and messages go through `caption`, tool-tip texts through `tip`
// (tipText gives the translation without the blanks the lookup pads it with).
struct LangLookup {
    Translate caption = identityText;
    Translate tip = identityText;
    std::string cap(const std::string& s) const { return caption ? caption(s) : s; }
    std::string tipText(const std::string& s) const { return tip ? trimBlanks(tip(s)) : s; }
};

} // namespace zul
