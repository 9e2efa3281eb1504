#pragma once

// Several simulated computers sharing one temporary database folder, each
// with its own message store.

#include "records/MessageObj.h"
#include "tests/support/FileProbes.h"
#include "tests/support/MessageReference.h"
#include "tests/support/Station.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

namespace qel::test {

class TMessageComputer : public TStation {
public:
    TMessageComputer(const std::string& computerName, const std::string& databaseFolder,
                     const std::string& engineFolder = {})
        : TStation(computerName, databaseFolder, engineFolder), Location(databaseFolder),
          Messages(std::make_unique<TQelMessage>(Context, Location)) {}

    std::vector<TInBoxRow> InBox() {
        Messages->LoadInBox(InBoxView, InBoxView);
        return InBoxView.Rows;
    }

    // Stands for the users object's Location.
    std::string Location;
    std::unique_ptr<TQelMessage> Messages;
    TInBoxRecorder InBoxView;
};

// The in-box counters as panels 0 to 2 show them.
inline std::vector<std::string> Counters(int newCount, int oldCount) {
    return {"New messages = " + std::to_string(newCount), "Old messages = " + std::to_string(oldCount),
            "Total messages = " + std::to_string(newCount + oldCount)};
}

} // namespace qel::test
