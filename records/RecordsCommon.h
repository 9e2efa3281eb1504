#pragma once

#include "isam/FieldLayout.h"
#include "isam/IsamFile.h"
#include "platform/Platform.h"
#include "records/QelContext.h"
#include "settings/IniFile.h"
#include "settings/SettingsKeys.h"
#include "util/StringUtils.h"

#include <array>
#include <string>
#include <utility>
#include <vector>

// Small pieces every record class uses the same way.
namespace qel {

// Every dataset is created with this key length and opened in this mode.
inline constexpr int16_t DatasetKeyLength = 10;
inline constexpr int16_t DatasetOpenMode = 3;
// Options of the sequential reads.
inline constexpr int16_t ReadOptions = 16;

// The engine's error as an error box shows it: ErrorText, a carriage return, ErrorDetail.
inline std::string EngineErrorText(const TIsamFile& isam) {
    return isam.ErrorText() + "\r" + isam.ErrorDetail();
}

// The same for panel 0 of the status bar: joined with a space.
inline std::string EngineErrorLine(const TIsamFile& isam) {
    return isam.ErrorText() + " " + isam.ErrorDetail();
}

// An error box text on one line, as panel 0 shows it.
inline std::string OnOneLine(std::string text) {
    for (char& c : text)
        if (c == '\r')
            c = ' ';
    return text;
}

// The engine's code for a key, record or dataset file that is not there. A
// sequential read that fails with it has reached the end of the records;
// any other code is an error.
inline constexpr int16_t IsamNotFound = 1;
// The engine's code for a create whose dataset is there already.
inline constexpr int16_t IsamExists = 9;

// Closes a dataset handle when the scope ends, whatever path leaves it.
struct TCloseOnExit {
    TIsamFile& Isam;
    ~TCloseOnExit() { Isam.CloseDataset(); }
};

// Message boxes an operation holds back until its datasets are closed again.
// Nothing may wait on a person while a dataset is open: an open read run
// makes every other computer's write to it wait, and fail after a while.
// Declare it before the TCloseOnExit guards, so that it is destroyed, and
// shows its boxes in order, after they have closed the datasets. Capture
// engine texts when queuing: closing a handle replaces its LastError().
class TDeferredBoxes {
public:
    explicit TDeferredBoxes(IMessageBoxes& boxes) : FBoxes(boxes) {}
    ~TDeferredBoxes() {
        for (const auto& [kind, text] : FPending)
            FBoxes.Show(kind, text, TBoxButtons::Ok);
    }
    TDeferredBoxes(const TDeferredBoxes&) = delete;
    TDeferredBoxes& operator=(const TDeferredBoxes&) = delete;

    void Error(std::string text) { FPending.emplace_back(TBoxKind::Error, std::move(text)); }
    void Warning(std::string text) { FPending.emplace_back(TBoxKind::Warning, std::move(text)); }
    void Plain(std::string text) { FPending.emplace_back(TBoxKind::Plain, std::move(text)); }
    bool Empty() const { return FPending.empty(); }

private:
    IMessageBoxes& FBoxes;
    std::vector<std::pair<TBoxKind, std::string>> FPending;
};

// Opens `path` (refused unless it has `layout`) and reads every record in primary-key order into `buffer`,
// calling `each(key)` for each; closes the dataset again. Returns false when
// the open, the positioning or a read failed for any reason but the end of
// the records, with the engine's error box text in *error (taken before the
// close). A dataset whose file is missing reads as empty when
// `missingIsEmpty`.
template <class F>
bool ReadInKeyOrder(TIsamFile& isam, const std::string& path, const char* layout, TRecordBuffer& buffer,
                    bool missingIsEmpty, std::string* error, F each) {
    if (!isam.OpenDataset(path, DatasetOpenMode, layout)) {
        if (missingIsEmpty && isam.LastError() == IsamNotFound)
            return true;
        *error = EngineErrorText(isam);
        return false;
    }
    TCloseOnExit closer{isam};
    if (isam.GoTop(0))
        while (isam.GetNextRecord(buffer.Data(), 0, {}, ReadOptions))
            each(isam.CurrentKey());
    if (isam.LastError() == IsamNotFound)
        return true;
    *error = isam.ErrorText() + "\r" + isam.ErrorDetail();
    return false;
}

// How a create of a dataset with its first records ended.
enum class TSeededCreate {
    Created, // the dataset now exists with exactly `records`
    Exists,  // another copy made it first (or something else has the name): left as it is
    Failed,  // nothing was made; *error says why
};

// Creates dataset `path` (without extension) holding `records` from the
// start, so that no other copy, and no crash, ever sees it without them: the
// dataset is built and filled under a private name beside it, then linked to
// its real name only if that is still free; an existing dataset is never
// touched. Records are added with empty keys, in order.
TSeededCreate CreateSeededDataset(TPlatform& platform, TIsamFile& isam, const std::string& path, const char* layout,
                                  const std::vector<TRecordBuffer>& records, std::string* error);

// Where a record class's members lie in a record: its one integer field and
// its text fields, each member with its field position.
template <class R, size_t N> struct TRecordFields {
    int IntPosition;
    int16_t R::*Int;
    std::array<std::pair<int, std::string R::*>, N> Texts;
};

// Every field of `buffer` into a new R.
template <class R, size_t N> R ReadFields(const TRecordBuffer& buffer, const TRecordFields<R, N>& fields) {
    R record;
    record.*fields.Int = buffer.GetInt(fields.IntPosition);
    for (const auto& [position, member] : fields.Texts)
        record.*member = buffer.GetText(position);
    return record;
}

// Clears `buffer` and writes every field of `record` into it, each text cut to its field.
template <class R, size_t N>
void WriteFields(TRecordBuffer& buffer, const R& record, const TRecordFields<R, N>& fields) {
    buffer.Clear();
    buffer.SetInt(fields.IntPosition, record.*fields.Int);
    for (const auto& [position, member] : fields.Texts)
        buffer.SetText(position, record.*member);
}

// The database folder as the settings file holds it now, with a trailing "/".
inline std::string DatabaseFolder(const TIniFile& settings) {
    return AddBackslash(settings.ReadString(keys::Locations, keys::DBaseLocation, keys::NotEntered));
}

// Right after a record class made a dataset handle: when the engine is not
// usable, shows the error box and asks the application to end. Construction
// carries on either way.
inline void CheckEngineLoaded(const TIsamFile& isam, TQelContext& context) {
    if (!isam.EngineLoaded()) {
        context.Boxes.ShowError(EngineMissingText);
        context.App.RequestTerminate();
    }
}

} // namespace qel
