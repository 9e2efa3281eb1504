#pragma once

// One simulated computer with its own Qel.ini pointing at a temporary
// database folder, both catalogues, and readers that look at the datasets
// directly.

#include "isam/IsamFile.h"
#include "platform/FakePlatform.h"
#include "records/QelDepartmentObj.h"
#include "records/QelStatusesObj.h"
#include "settings/IniFile.h"
#include "settings/SettingsKeys.h"
#include "tests/support/FileProbes.h"
#include "tests/support/Recorders.h"
#include "util/StringUtils.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace qel::test {

class TCatalogueComputer {
public:
    // `engineFolder` empty finds the engine beside the test program.
    TCatalogueComputer(const std::string& computerName, const std::string& databaseFolder,
                       const std::string& engineFolder = {})
        : Platform(Root.Path()),
          Settings(Platform, keys::ProfileFileName), Context{Platform, Settings, Ui,           Ui, Ui,
                                                             Ui,       nullptr,  engineFolder, {}, false},
          Statuses(Context), Departments(Context) {
        Platform.ComputerNameValue = computerName;
        Settings.WriteString(keys::Locations, keys::DBaseLocation, databaseFolder);
    }

    TScratchFolder Root;
    TFakePlatform Platform;
    TIniFile Settings;
    TUiRecorder Ui;
    TQelContext Context;
    TQelStatus Statuses;
    TQelDepartment Departments;
};

// Records the calls a list receives, in order.
class TListRecorder : public INumberedList {
public:
    void BeginUpdate() override {
        ++Depth;
        Log.push_back("begin");
    }
    void Clear() override {
        Items.clear();
        Log.push_back("clear");
    }
    void Add(const std::string& text, int number) override { Items.emplace_back(text, number); }
    void EndUpdate() override {
        --Depth;
        Log.push_back("end");
    }
    int SelectedIndex() const override { return -1; }
    int NumberAt(int index) const override { return Items.at(static_cast<size_t>(index)).second; }

    std::vector<std::pair<std::string, int>> Items;
    std::vector<std::string> Log;
    int Depth = 0;
};

class TTreeRecorder : public IDepartmentTree {
public:
    void Clear() override { Nodes.clear(); }
    void AddRoot(const std::string& text) override { Nodes.push_back(text); }
    void AddChild(const std::string& text) override { Nodes.push_back("  " + text); }
    // Roots as they are, children indented by two blanks.
    std::vector<std::string> Nodes;
};

// Every record of a one-field catalogue dataset as (key, name), in key order.
inline std::vector<std::pair<std::string, std::string>> DumpCatalogue(const std::string& datasetPath, size_t size) {
    std::vector<std::pair<std::string, std::string>> all;
    TIsamFile isam;
    if (!isam.OpenDataset(datasetPath, 3))
        return all;
    std::vector<char> buffer(size);
    isam.GoTop(0);
    while (isam.GetNextRecord(buffer.data(), 0, {}, 16))
        all.emplace_back(isam.CurrentKey(), std::string(buffer.data(), strnlen(buffer.data(), size)));
    isam.CloseDataset();
    return all;
}

inline TShownBox ErrorBox(const std::string& text) {
    return {TBoxKind::Error, text, TBoxButtons::Ok};
}
inline TShownBox WarningBox(const std::string& text) {
    return {TBoxKind::Warning, text, TBoxButtons::Ok};
}

} // namespace qel::test
