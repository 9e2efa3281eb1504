#pragma once

// Several simulated computers sharing one temporary database folder, each
// with its own platform (computer name), Qel.ini, screen recorder and message
// store.

#include "platform/FakePlatform.h"
#include "records/MessageObj.h"
#include "settings/IniFile.h"
#include "settings/SettingsKeys.h"
#include "tests/support/FileProbes.h"
#include "tests/support/MessageReference.h"
#include "tests/support/Recorders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

namespace qel::test {

// One workstation running the program.
class TMessageComputer {
public:
    // `engineFolder` empty finds the engine beside the test program.
    TMessageComputer(const std::string& computerName, const std::string& databaseFolder,
                     const std::string& engineFolder = {})
        : Platform(Root.Path()),
          Settings(Platform, keys::ProfileFileName), Context{Platform, Settings, Ui,           Ui, Ui,
                                                             Ui,       nullptr,  engineFolder, {}, false},
          Location(databaseFolder) {
        Platform.ComputerNameValue = computerName;
        Settings.WriteString(keys::Locations, keys::DBaseLocation, databaseFolder);
        Messages = std::make_unique<TQelMessage>(Context, Location);
    }

    std::vector<TInBoxRow> InBox() {
        InBoxView = {};
        Messages->LoadInBox(InBoxView, InBoxView);
        return InBoxView.Rows;
    }

    TScratchFolder Root;
    TFakePlatform Platform;
    TIniFile Settings;
    TUiRecorder Ui;
    TQelContext Context;
    // Stands for the users object's Location.
    std::string Location;
    std::unique_ptr<TQelMessage> Messages;
    TInBoxRecorder InBoxView;
};

class TSoundOptions : public ISoundOptions {
public:
    bool PlayWavFile() const override { return Ticked; }
    std::string WavFileSelected() const override { return File; }
    bool Ticked = false;
    std::string File;
};

inline TShownBox ErrorBox(const std::string& text) {
    return {TBoxKind::Error, text, TBoxButtons::Ok};
}

} // namespace qel::test
