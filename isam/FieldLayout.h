#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qel {

// One field of a record layout.
struct TFieldDesc {
    enum class TKind { Int16, Text };
    TKind Kind = TKind::Text;
    size_t Size = 0;    // bytes in the record: 2 for Int16, N for "$*N"
    size_t Offset = 0;  // byte offset in the packed record
    bool Indexed = false; // a leading "X": also a secondary index
};

// A parsed field-layout text such as "%,$*21,X$*21": comma-separated
// descriptors in record order. "%" is a 16-bit integer (low byte first),
// "$*N" a text of N bytes (N >= 1), a leading "X" makes the field a secondary
// index numbered by its 1-based position. Fields are packed without padding.
class TFieldLayout {
public:
    // Nullopt for an empty or malformed text (unknown descriptor, N missing,
    // zero or above 65535, spaces, empty items).
    static std::optional<TFieldLayout> Parse(std::string_view text);

    const std::vector<TFieldDesc>& Fields() const { return FFields; }
    // Field at 1-based `position`; requires 1 <= position <= FieldCount().
    const TFieldDesc& Field(int position) const { return FFields[position - 1]; }
    int FieldCount() const { return static_cast<int>(FFields.size()); }
    size_t RecordSize() const { return FRecordSize; }
    // True when `position` names an "X" field, the secondary index of that number.
    bool IsIndex(int position) const;

private:
    std::vector<TFieldDesc> FFields;
    size_t FRecordSize = 0;
};

// A record buffer of one layout, zero-filled when made. Text is UTF-8; a text
// field of N bytes holds at most N-1 bytes followed by a NUL, cut at a
// character boundary, never written past the field.
class TRecordBuffer {
public:
    // `layout` must outlive the buffer.
    explicit TRecordBuffer(const TFieldLayout& layout);

    void* Data() { return FBytes.data(); }
    const void* Data() const { return FBytes.data(); }
    size_t Size() const { return FBytes.size(); }
    void Clear();

    // The bytes before the field's first NUL, or all N bytes when it has none.
    std::string GetText(int position) const;
    // Stores `text` cut to N-1 bytes at a character boundary, NUL-terminated;
    // returns false when it had to be cut.
    bool SetText(int position, std::string_view text);
    int16_t GetInt(int position) const;
    void SetInt(int position, int16_t value);

private:
    const TFieldLayout* FLayout;
    std::vector<unsigned char> FBytes;
};

// Reads a text field from raw record bytes (the engine's view of a record).
std::string FieldText(const unsigned char* field, size_t size);

} // namespace qel
