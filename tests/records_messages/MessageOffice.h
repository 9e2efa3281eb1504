#pragma once

// Several simulated computers sharing one temporary database folder, each
// with its own platform (computer name), Qel.ini, screen recorder and message
// store.

#include "platform/FakePlatform.h"
#include "records/MessageObj.h"
#include "settings/IniFile.h"
#include "settings/SettingsKeys.h"
#include "tests/support/MessageReference.h"
#include "tests/support/Recorders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <unistd.h>

namespace qel::test {

// One workstation running the program.
class TMessageComputer {
public:
    TMessageComputer(const std::string& computerName, const std::string& databaseFolder)
        : Platform(Root.Path()), Settings(Platform, keys::ProfileFileName), Context{Platform, Settings, Ui, Ui, Ui,
                                                                                    Ui,       nullptr,  {}, {}, false},
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

// How many descriptors of this process are open on `path`: an open dataset
// holds its file open, a closed one does not.
inline int OpenDescriptors(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path target = fs::weakly_canonical(path, ec);
    int count = 0;
    for (const auto& entry : fs::directory_iterator("/proc/self/fd", ec)) {
        std::error_code linkError;
        const fs::path link = fs::read_symlink(entry.path(), linkError);
        if (!linkError && link == target)
            ++count;
    }
    return count;
}

inline std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline TShownBox ErrorBox(const std::string& text) {
    return {TBoxKind::Error, text, TBoxButtons::Ok};
}

} // namespace qel::test
