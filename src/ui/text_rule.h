#pragma once
// An edit box that takes only the texts a rule allows; the rule may also
// rewrite the text (upper case).
#include <QValidator>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace zul::ui {

class TextRule : public QValidator {
public:
    using Rule = std::function<std::optional<std::string>(std::string_view)>;
    TextRule(QObject* parent, Rule rule) : QValidator(parent), rule_(std::move(rule)) {}
    State validate(QString& input, int&) const override {
        const auto accepted = rule_(input.toStdString());
        if (!accepted) return Invalid;
        input = QString::fromStdString(*accepted);
        return Acceptable;
    }

private:
    Rule rule_;
};

} // namespace zul::ui
