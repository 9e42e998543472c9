#pragma once
// The "Web remote" tab of the preferences window: the switch, the address,
// a new password typed twice, the address to open as a link, and how the
// running remote stands.
#include <QWidget>
#include <functional>
#include <string>

#include "web/web_remote_page.h"

class QCheckBox;
class QLabel;
class QLineEdit;

namespace zul::app {
class App;
}

namespace zul::ui {

class WebRemotePage : public QWidget {
public:
    WebRemotePage(app::App& app, web::WebRemotePageForm& form, QWidget* parent = nullptr);

    // The stored settings into the fields.
    void load();
    // Stores the fields when they can be used; else shows what is wrong. True when stored.
    bool apply();
    bool changed();
    std::function<void()> edited;
    // How the running remote stands, shown under the fields.
    std::function<std::string()> remoteStatus;
    void showStatus();

    QCheckBox* enabledBox() { return enabled_; }
    QLineEdit* addressBox() { return address_; }
    QLineEdit* passwordBox() { return password_; }
    QLineEdit* repeatBox() { return repeat_; }
    QLabel* linkLine() { return link_; }
    QLabel* problems() { return problems_; }
    QLabel* statusLine() { return status_; }

private:
    void takeFields();
    void showLink();

    app::App& app_;
    web::WebRemotePageForm& form_;
    QCheckBox* enabled_ = nullptr;
    QLineEdit *address_ = nullptr, *password_ = nullptr, *repeat_ = nullptr;
    QLabel *passwordState_ = nullptr, *link_ = nullptr, *problems_ = nullptr, *status_ = nullptr;
};

} // namespace zul::ui
