#include "web/json_body.h"

#include <cstdlib>

#include "platform/text.h"

namespace zul::web {

namespace {

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    std::optional<JsonObject> object(std::string& error) {
        JsonObject out;
        blanks();
        if (!take('{')) return fail(error, "the body is not a JSON object");
        blanks();
        if (take('}')) return end(out, error);
        for (;;) {
            blanks();
            auto name = string();
            blanks();
            if (!name || !take(':')) return fail(error, "the JSON object is malformed");
            blanks();
            if (!value(out[*name])) return fail(error, "a value is not a string, number, true, false or null");
            blanks();
            if (take('}')) return end(out, error);
            if (!take(',')) return fail(error, "the JSON object is malformed");
        }
    }

private:
    static std::nullopt_t fail(std::string& error, const char* why) {
        error = why;
        return std::nullopt;
    }
    std::optional<JsonObject> end(JsonObject& out, std::string& error) {
        blanks();
        if (at_ != text_.size()) return fail(error, "there is more after the JSON object");
        return std::move(out);
    }
    bool take(char c) {
        if (at_ < text_.size() && text_[at_] == c) return ++at_, true;
        return false;
    }
    bool word(std::string_view w) {
        if (text_.substr(at_, w.size()) != w) return false;
        at_ += w.size();
        return true;
    }
    void blanks() {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\r' || text_[at_] == '\n'))
            ++at_;
    }
    // Into the member's place; false when the text there is no plain value.
    bool value(JsonValue& out) {
        if (at_ < text_.size() && text_[at_] == '"') {
            auto s = string();
            if (s) out.emplace<std::string>(std::move(*s));
            return s.has_value();
        }
        if (word("true")) return out.emplace<bool>(true), true;
        if (word("false")) return out.emplace<bool>(false), true;
        if (word("null")) return out.emplace<std::nullptr_t>(), true;
        const std::size_t from = at_;
        while (at_ < text_.size() && std::string_view("+-.0123456789eE").find(text_[at_]) != std::string_view::npos) ++at_;
        const auto number = decimalNumberIn(text_.substr(from, at_ - from));
        if (from == at_ || !number) return false;
        out.emplace<double>(*number);
        return true;
    }
    // Code points up to U+FFFF; a surrogate escape is refused (no name we take needs one).
    bool escape(std::string& out) {
        if (at_ >= text_.size()) return false;
        const char c = text_[at_++];
        static constexpr std::string_view from = "\"\\/bfnrt", to = "\"\\/\b\f\n\r\t";
        if (const auto i = from.find(c); i != std::string_view::npos) return out += to[i], true;
        if (c != 'u' || at_ + 4 > text_.size()) return false;
        const std::string hex(text_.substr(at_, 4));
        char* stop = nullptr;
        const unsigned long code = std::strtoul(hex.c_str(), &stop, 16);
        if (stop != hex.c_str() + 4 || (code >= 0xD800 && code <= 0xDFFF)) return false;
        at_ += 4;
        if (code < 0x80) out += static_cast<char>(code);
        else if (code < 0x800) out += {static_cast<char>(0xC0 | (code >> 6)), static_cast<char>(0x80 | (code & 0x3F))};
        else
            out += {static_cast<char>(0xE0 | (code >> 12)), static_cast<char>(0x80 | ((code >> 6) & 0x3F)),
                    static_cast<char>(0x80 | (code & 0x3F))};
        return true;
    }
    std::optional<std::string> string() {
        if (!take('"')) return std::nullopt;
        std::string out;
        while (at_ < text_.size()) {
            const char c = text_[at_++];
            if (c == '"') return validUtf8(out) ? std::optional(out) : std::nullopt;
            if (static_cast<unsigned char>(c) < 0x20) return std::nullopt;
            if (c != '\\') out += c;
            else if (!escape(out)) return std::nullopt;
        }
        return std::nullopt;
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

} // namespace

std::optional<JsonObject> parseJsonObject(std::string_view text, std::string& error) {
    if (text.size() > MaxBodyBytes) {
        error = "the body is longer than " + std::to_string(MaxBodyBytes) + " bytes";
        return std::nullopt;
    }
    return Reader(text).object(error);
}

std::optional<std::string> stringMember(const JsonObject& object, const std::string& name) {
    const auto it = object.find(name);
    if (it == object.end() || !std::holds_alternative<std::string>(it->second)) return std::nullopt;
    return std::get<std::string>(it->second);
}

std::optional<bool> boolMember(const JsonObject& object, const std::string& name) {
    const auto it = object.find(name);
    if (it == object.end() || !std::holds_alternative<bool>(it->second)) return std::nullopt;
    return std::get<bool>(it->second);
}

} // namespace zul::web
