#pragma once

#include "isam/FieldLayout.h"
#include "isam/IsamFile.h"
#include "records/QelContext.h"
#include "settings/IniFile.h"
#include "settings/SettingsKeys.h"
#include "util/StringUtils.h"

#include <array>
#include <string>
#include <utility>

// Small pieces every record class uses the same way.
namespace qel {

// Every dataset is created with this key length and opened in this mode.
inline constexpr int16_t DatasetKeyLength = 10;
inline constexpr int16_t DatasetOpenMode = 3;
// Options of the sequential reads.
inline constexpr int16_t ReadOptions = 16;

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

// The engine's error as an error box shows it: ErrorText, a carriage return, ErrorDetail.
inline std::string EngineErrorText(const TIsamFile& isam) { return isam.ErrorText() + "\r" + isam.ErrorDetail(); }

// The same for panel 0 of the status bar: joined with a space.
inline std::string EngineErrorLine(const TIsamFile& isam) { return isam.ErrorText() + " " + isam.ErrorDetail(); }

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
