#pragma once

// One simulated computer with both catalogues, and the recorders and readers
// the catalogue tests share.

#include "isam/IsamFile.h"
#include "records/QelDepartmentObj.h"
#include "records/QelStatusesObj.h"
#include "tests/support/FileProbes.h"
#include "tests/support/Station.h"
#include "util/StringUtils.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace qel::test {

struct TCatalogueComputer : TStation {
    using TStation::TStation;
    TQelStatus Statuses{Context};
    TQelDepartment Departments{Context};
};

using TCatalogueRecords = std::vector<std::pair<std::string, std::string>>;

// Every record of a one-field catalogue dataset as (key, name), in key order.
inline TCatalogueRecords DumpCatalogue(const std::string& datasetPath, size_t size) {
    TCatalogueRecords all;
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

inline TShownBox WarningBox(const std::string& text) {
    return {TBoxKind::Warning, text, TBoxButtons::Ok};
}

} // namespace qel::test
