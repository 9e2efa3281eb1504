#include "records/RecordsCommon.h"

namespace qel {

TSeededCreate CreateSeededDataset(TPlatform& platform, TIsamFile& isam, const std::string& path, const char* layout,
                                  const std::vector<TRecordBuffer>& records, std::string* error) {
    const std::string file = path + ".isd";
    if (platform.FileExists(file))
        return TSeededCreate::Exists;
    // Named as the engine names its own files being built ("<file>.new-HOST-PID-N"),
    // so that what a crash leaves behind is cleared away with those.
    static unsigned counter = 0;
    const std::string temp = file + ".new-" + platform.BuildFileTag() + "-" + std::to_string(++counter);

    bool built = isam.CreateDataset(temp, DatasetKeyLength, layout) && isam.OpenDataset(temp, DatasetOpenMode, layout);
    for (const TRecordBuffer& record : records)
        built = built && isam.AddRecord(record.Data(), {});
    if (!built)
        *error = EngineErrorText(isam);
    if (isam.IsOpen() && !isam.CloseDataset() && built) {
        *error = EngineErrorText(isam);
        built = false;
    }

    TSeededCreate result = TSeededCreate::Failed;
    if (built) {
        switch (platform.LinkNoReplace(temp + ".isd", file, error)) {
        case TLinkResult::Linked:
            result = TSeededCreate::Created;
            break;
        case TLinkResult::Exists:
            result = TSeededCreate::Exists;
            break;
        case TLinkResult::Failed:
            break;
        }
    }
    platform.RemoveFile(temp + ".isd");
    platform.RemoveFile(temp + ".isd-journal");
    return result;
}

} // namespace qel
