#include "ui/mqtt_settings_page.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/app.h"
#include "ui/widgets.h"

namespace zul::ui {

namespace {
constexpr const char* OkColour = "color:#1b6e20;";
constexpr const char* ProblemColour = "color:#b00020;";
} // namespace

MqttSettingsPage::MqttSettingsPage(app::App& app, mqtt::MqttSettingsForm& form, QWidget* parent)
    : QWidget(parent), app_(app), form_(form) {
    auto* v = new QVBoxLayout(this);
    enabled_ = new QCheckBox(q(app.tr("Co&nnect to an MQTT broker")), this);
    enabled_->setToolTip(
        q(app.tip("Units, groups, the panic button, macros and the timers appear in your home-automation hub")));
    v->addWidget(enabled_);
    v->addLayout(buildFields());
    auto* testRow = new QHBoxLayout;
    test_ = new QPushButton(q(app.tr("T&est connection")), this);
    test_->setToolTip(q(app.tip("Try the broker with the values above")));
    result_ = new QLabel(this);
    result_->setWordWrap(true);
    testRow->addWidget(test_, 0, Qt::AlignTop);
    testRow->addWidget(result_, 1);
    v->addLayout(testRow);
    const SettingsFoot foot = addSettingsFoot(v, this);
    problems_ = foot.problems;
    status_ = foot.status;
    connect(browse_, &QPushButton::clicked, this, [this] { browseCaFile(); });
    connect(test_, &QPushButton::clicked, this, [this] {
        takeFields();
        test_->setEnabled(false);
        result_->setStyleSheet("");
        result_->setText(q(app_.tr("Testing...")));
        form_.testConnection();
    });
    form_.done = [this](bool ok, const std::string& text) { showResult(ok, text); };
    connect(enabled_, &QCheckBox::toggled, this, [this] {
        if (edited) edited();
    });
    for (QLineEdit* box : {broker_, caFile_, user_, password_, baseTopic_, prefix_})
        connect(box, &QLineEdit::textChanged, this, [this] {
            if (edited) edited();
        });
    connect(dimSteps_, &QSpinBox::valueChanged, this, [this] {
        if (edited) edited();
    });
    setTabOrder(enabled_, broker_);
    setTabOrder(broker_, caFile_);
    setTabOrder(caFile_, browse_);
    setTabOrder(browse_, user_);
    load();
}

QFormLayout* MqttSettingsPage::buildFields() {
    auto* fields = new QFormLayout;
    broker_ =
        addField(fields, "&Broker:", "mqtt://host:port, or mqtts://host:port for TLS", "mqtt://192.168.1.10:1883");
    caFile_ = makeBox("The certificate of the broker's authority (TLS only; empty: the system's)");
    browse_ = new QPushButton(q(app_.tr("B&rowse...")), this);
    browse_->setToolTip(q(app_.tip("Choose the CA file")));
    auto* caRow = new QHBoxLayout;
    caRow->addWidget(caFile_, 1);
    caRow->addWidget(browse_);
    auto* caLabel = new QLabel(q(app_.tr("CA &file:")), this);
    caLabel->setBuddy(caFile_);
    fields->addRow(caLabel, caRow);
    user_ = addField(fields, "&User name:", "Leave empty when the broker takes anonymous clients");
    password_ = addField(fields, "Pass&word:", "Stored enciphered");
    password_->setEchoMode(QLineEdit::Password);
    baseTopic_ = addField(fields, "Base to&pic:", "Every topic of Zulmarin begins with this", mqtt::DefaultBaseTopic);
    prefix_ = addField(fields, "&Discovery prefix:", "Where the hub looks for discovery configs",
                       mqtt::DefaultDiscoveryPrefix);
    dimSteps_ = new QSpinBox(this);
    dimSteps_->setRange(mqtt::MinDimSteps, mqtt::MaxDimSteps);
    dimSteps_->setMaximumWidth(90);
    dimSteps_->setToolTip(q(app_.tip(
        "DIM commands that take a lamp from full brightness to dark; the hub's brightness is assumed from them")));
    auto* dimLabel = new QLabel(q(app_.tr("D&im steps:")), this);
    dimLabel->setBuddy(dimSteps_);
    fields->addRow(dimLabel, dimSteps_);
    identity_ = new QLabel(this);
    identity_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    identity_->setToolTip(q(app_.tip("This install's name on the broker: the node id of its discovery topics, the "
                                     "start of its entities' unique ids and its client id")));
    fields->addRow(q(app_.tr("Identity:")), identity_);
    return fields;
}

QLineEdit* MqttSettingsPage::makeBox(const char* tip, const char* placeholder) {
    auto* box = new QLineEdit(this);
    box->setToolTip(q(app_.tip(tip)));
    box->setPlaceholderText(q(placeholder));
    box->setMaxLength(250);
    return box;
}

QLineEdit* MqttSettingsPage::addField(QFormLayout* form, const char* caption, const char* tip,
                                      const char* placeholder) {
    QLineEdit* box = makeBox(tip, placeholder);
    form->addRow(q(app_.tr(caption)), box);
    return box;
}

void MqttSettingsPage::load() {
    form_.load();
    const mqtt::MqttSettings v = form_.values; // a copy: every field set below reports an edit
    enabled_->setChecked(v.enabled);
    broker_->setText(q(v.broker));
    caFile_->setText(q(v.caFile));
    user_->setText(q(v.username));
    password_->setText(q(v.password));
    baseTopic_->setText(q(v.baseTopic));
    prefix_->setText(q(v.discoveryPrefix));
    dimSteps_->setValue(v.dimSteps);
    identity_->setText(q(v.installId));
    problems_->hide();
    result_->clear();
    showStatus();
}

void MqttSettingsPage::takeFields() {
    mqtt::MqttSettings& v = form_.values;
    v.enabled = enabled_->isChecked();
    v.broker = broker_->text().trimmed().toStdString();
    v.caFile = caFile_->text().trimmed().toStdString();
    v.username = user_->text().toStdString();
    v.password = password_->text().toStdString();
    v.baseTopic = baseTopic_->text().trimmed().toStdString();
    v.discoveryPrefix = prefix_->text().trimmed().toStdString();
    v.dimSteps = dimSteps_->value();
}

bool MqttSettingsPage::changed() {
    takeFields();
    return !(form_.values == mqtt::loadMqttSettings(app_.settings));
}

bool MqttSettingsPage::apply() {
    takeFields();
    const auto problems = form_.apply();
    QStringList lines;
    for (const auto& p : problems) lines << q(app_.tr(p));
    showProblems(problems_, lines);
    showStatus();
    return problems.empty();
}

void MqttSettingsPage::browseCaFile() {
    const auto file =
        app_.dialogs.openFile("Choose the CA file", app_.folder.string(),
                              {{"Certificates (*.crt *.pem)", {"*.crt", "*.pem"}}, {"All files (*)", {"*"}}});
    if (file) caFile_->setText(q(*file));
}

void MqttSettingsPage::showResult(bool ok, const std::string& text) {
    test_->setEnabled(true);
    result_->setStyleSheet(ok ? OkColour : ProblemColour);
    result_->setText(q(text));
}

void MqttSettingsPage::showStatus() {
    status_->setText(bridgeStatus ? q(app_.tr("Bridge:") + " " + bridgeStatus()) : QString());
}

} // namespace zul::ui
