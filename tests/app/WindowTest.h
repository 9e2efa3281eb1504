#pragma once

// What a test of the board window starts from: a settings file that names an
// empty database folder and is past the first run, so the window opens
// without the wizard.

#include "app/MainView.h"
#include "platform/FakePlatform.h"
#include "settings/IniFile.h"
#include "settings/SettingsKeys.h"

#include <gtest/gtest.h>

namespace qel::test {

// No dialog exists: every command that needs one stays disabled.
class TNoDialogs : public IMainDialogs {
public:
    bool Available(TMainDialog) const override { return false; }
    void Show(TMainDialog) override {}
    void ShowSendMessage(const TMessageWindowFields&, const std::string&) override {}
    bool MessageDialogOnScreen() const override { return false; }
    IMessageWindow* MessageWindow() override { return nullptr; }
};

// `TDialogs` is what the window opens its dialogs through.
template <class TDialogs> class TWindowTest : public ::testing::Test {
protected:
    TWindowTest() : Platform(Root.Path()) {
        TIniFile ini(Platform, keys::ProfileFileName);
        ini.WriteString(keys::Locations, keys::DBaseLocation, Database.Path());
        ini.WriteBool(keys::Qel, keys::FirstTimeRun, false);
    }

    TScratchFolder Root;
    TScratchFolder Database;
    TFakePlatform Platform;
    TDialogs Dialogs;
};

} // namespace qel::test
