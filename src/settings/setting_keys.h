#pragma once
// Every key of the settings file: its section, its key and what a missing key
// means. Code reads and writes settings only through these.
#include "platform/settings_backend.h"

namespace zul {

struct Setting {
    // --- [Settings]: window places, in twips --------------------------------
    static constexpr SettingKey MainLeft{"Settings", "MainLeft", "500"};
    static constexpr SettingKey MainTop{"Settings", "MainTop", "500"};
    static constexpr SettingKey MacroSetupLeft{"Settings", "McrMainLeft", ""};
    static constexpr SettingKey MacroSetupTop{"Settings", "McrMainTop", ""};
    static constexpr SettingKey TimerWindowLeft{"Settings", "TimerMainLeft", "500"};
    static constexpr SettingKey TimerWindowTop{"Settings", "TimerMainTop", "500"};
    static constexpr SettingKey TimerLogLeft{"Settings", "TimerLogL", "500"};
    static constexpr SettingKey TimerLogTop{"Settings", "TimerLogT", "500"};
    static constexpr SettingKey TimerLogWidth{"Settings", "TimerLogW", "0"};
    static constexpr SettingKey TimerLogHeight{"Settings", "TimerLogH", "0"};
    static constexpr SettingKey PreferencesLeft{"Settings", "SuLeft", ""};
    static constexpr SettingKey PreferencesTop{"Settings", "SuTop", ""};
    static constexpr SettingKey FavouritesLeft{"Settings", "FavLeft", ""};
    static constexpr SettingKey FavouritesTop{"Settings", "FavTop", ""};
    static constexpr SettingKey FavouritesWidth{"Settings", "FavWidth", ""};

    // --- [Settings]: the place the sun times are worked out for -------------
    static constexpr SettingKey CityLatitude{"Settings", "CityLatitude", ""};
    static constexpr SettingKey CityLongitude{"Settings", "CityLongitude", ""};
    static constexpr SettingKey CityZone{"Settings", "CityZone", ""};
    static constexpr SettingKey CityName{"Settings", "CityName", ""};
    static constexpr SettingKey DaySavings{"Settings", "DaySavings", "False"};

    // --- [Settings]: options ------------------------------------------------
    static constexpr SettingKey Language{"Settings", "Language", "English"};
    static constexpr SettingKey AutoStart{"Settings", "AutoStart", "0"};
    static constexpr SettingKey PanicButton{"Settings", "PanicButton", "1"};
    static constexpr SettingKey GroupDelayButtons{"Settings", "GrpDelayB", "1"};
    static constexpr SettingKey MinOnStart{"Settings", "MinOnStart", "False"};
    static constexpr SettingKey MinToTray{"Settings", "MinToTray", "0"};
    static constexpr SettingKey SendOnRecord{"Settings", "SendOnRecord", "1"};
    static constexpr SettingKey ShowToolTips{"Settings", "ShowToolTips", "1"};
    static constexpr SettingKey SoundsOn{"Settings", "Sounds", "True"};
    static constexpr SettingKey BitStateMicros{"Settings", "BitStateMicros", ""};
    static constexpr SettingKey MasterPause{"Settings", "GPause", "0.6"};

    // --- [Settings]: the weekly update check --------------------------------
    static constexpr SettingKey UpdateCheck{"Settings", "ChkForUpdts", "3"}; // "1" on, "0" off, "3" not asked yet
    static constexpr SettingKey UpdateCheckDay{"Settings", "ChkUpdtsDay", ""};
    static constexpr SettingKey UpdateCheckHour{"Settings", "ChkUpdtsTime", "19"};
    static constexpr SettingKey UpdateChecked{"Settings", "CheckedUpdate", "False"};
    static constexpr SettingKey UpdateCheckType{"Settings", "ChkType", ""};

    // --- [Settings]: timers and the timer log -------------------------------
    static constexpr SettingKey TimerCount{"Settings", "TimerCount", "6"};
    static constexpr SettingKey RunDefault{"Settings", "RunDef", "0"};
    static constexpr SettingKey ConfirmClearTimers{"Settings", "cClearTimers", "True"};
    static constexpr SettingKey ConfirmDeleteTimer{"Settings", "cDeleteTimers", "True"};
    static constexpr SettingKey AllowNewTimers{"Settings", "NewTimers", "True"};
    static constexpr SettingKey ManualOffOnStart{"Settings", "ManualTimers", "True"};
    static constexpr SettingKey ConfirmSaveQuit{"Settings", "cSaveQuit", "True"};
    static constexpr SettingKey TimerLogAutoSave{"Settings", "TimerLogS", "1"};
    static constexpr SettingKey TimerLogStatus{"Settings", "LogStatus", "1"};
    static constexpr SettingKey TrimTimerLog{"Settings", "TrimTimerLog", "1"};
    static constexpr SettingKey MaxLogSize{"Settings", "MaxLogSize", "500"};
    static constexpr SettingKey KeepLogSize{"Settings", "KeepLogSize", "400"};
    static constexpr SettingKey MaxLogFileLines{"Settings", "MaxLogFileLines", "59000"};

    // --- [Macro]: the loop timer and the macro file type --------------------
    static constexpr SettingKey LoopEntry{"Macro", "LoopN", ""};
    static constexpr SettingKey LoopDays{"Macro", "LoopD", "not set"};
    static constexpr SettingKey LoopStartTime{"Macro", "LpStartTime", ""};
    static constexpr SettingKey LoopEndTime{"Macro", "LpEndTime", ""};
    static constexpr SettingKey LoopUseStartEnd{"Macro", "UseLpStartEndTimes", "0"};
    static constexpr SettingKey LoopRunning{"Macro", "LoopR", "0"};
    static constexpr SettingKey LoopFlash{"Macro", "LpFl", "0"};
    static constexpr SettingKey AssociateMacros{"Macro", "DoSet", "True"};
    static constexpr SettingKey MacroAssociationSet{"Macro", "Set", ""};

    // --- [Database16], [ActiveWindow] ---------------------------------------
    static constexpr SettingKey GroupDelay{"Database16", "GrDelay", "6"}; // tenths of a second
    static constexpr SettingKey CurrentVersion{"Database16", "CurrentVersion", ""};
    static constexpr SettingKey CurrentExePath{"Database16", "CurrentExePath", ""};
    static constexpr SettingKey Restart{"Database16", "ReStart", ""};
    static constexpr SettingKey DataFile{"Database16", "DataFile", ""}; // missing: the record store beside the program
    static constexpr SettingKey WindowHandle{"ActiveWindow", "Handle", ""};

    // --- [Sounds]: a missing file key means the file the program brings -----
    static constexpr SettingKey ClickSound{"Sounds", "defSound", ""};
    static constexpr SettingKey RecordedSound{"Sounds", "RecSound", ""};
    static constexpr SettingKey ResizeSound{"Sounds", "defZSound", ""};
    static constexpr SettingKey TimerStartSound{"Sounds", "defTsound", ""};
    static constexpr SettingKey MacroCommandSound{"Sounds", "defMsound", ""};
    static constexpr SettingKey TimerStartSoundOn{"Sounds", "TimerTsound", "1"};
    static constexpr SettingKey MacroCommandSoundOn{"Sounds", "TimerMsound", "1"};

    // --- [Mqtt]: the bridge to a broker -------------------------------------
    static constexpr SettingKey MqttEnabled{"Mqtt", "Enabled", "0"};
    static constexpr SettingKey MqttBroker{"Mqtt", "Broker", ""};
    static constexpr SettingKey MqttCaFile{"Mqtt", "CaFile", ""};
    static constexpr SettingKey MqttUsername{"Mqtt", "Username", ""};
    static constexpr SettingKey MqttPassword{"Mqtt", "Password", ""};
    static constexpr SettingKey MqttBaseTopic{"Mqtt", "BaseTopic", "zulmarin"};
    static constexpr SettingKey MqttDiscoveryPrefix{"Mqtt", "DiscoveryPrefix", "homeassistant"};
    static constexpr SettingKey MqttInstallId{"Mqtt", "InstallId", ""};
    static constexpr SettingKey MqttKeepCommandsSeconds{"Mqtt", "KeepCommandsSeconds", ""};
    static constexpr SettingKey MqttDimSteps{"Mqtt", "DimSteps", ""};
    static constexpr SettingKey MqttHidden{"Mqtt", "Hidden", ""}; // units kept from the hub

    // --- [WebRemote]: the page and JSON API for a browser -------------------
    static constexpr SettingKey WebRemoteEnabled{"WebRemote", "Enabled", "0"};
    static constexpr SettingKey WebRemoteAddress{"WebRemote", "Address", "127.0.0.1:8080"};
    static constexpr SettingKey WebRemotePassword{"WebRemote", "PasswordHash", ""}; // never the password itself
};

} // namespace zul
