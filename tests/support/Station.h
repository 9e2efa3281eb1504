#pragma once

// One simulated computer: its own folders, platform, Qel.ini naming a database folder, screen recorder and context.

#include "platform/FakePlatform.h"
#include "records/QelContext.h"
#include "settings/IniFile.h"
#include "settings/SettingsKeys.h"
#include "tests/support/Recorders.h"

namespace qel::test {

struct TStation {
    // `engineFolder` empty finds the engine beside the program.
    TStation(const std::string& computerName, const std::string& databaseFolder, const std::string& engineFolder = {})
        : Context{Platform, Settings, Ui, Ui, Ui, Ui, nullptr, engineFolder, {}, false} {
        Platform.ComputerNameValue = computerName;
        Settings.WriteString(keys::Locations, keys::DBaseLocation, databaseFolder);
    }

    TScratchFolder Root;
    TFakePlatform Platform{Root.Path()};
    TIniFile Settings{Platform, keys::ProfileFileName};
    TUiRecorder Ui;
    TQelContext Context;
};

inline TShownBox ErrorBox(const std::string& text) {
    return {TBoxKind::Error, text, TBoxButtons::Ok};
}

} // namespace qel::test
