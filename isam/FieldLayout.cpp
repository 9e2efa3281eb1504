#include "isam/FieldLayout.h"

#include "util/StringUtils.h"

#include <algorithm>
#include <cstring>

namespace qel {

namespace {
constexpr size_t MaxTextField = 65535;

// "$*N" with 1 <= N <= MaxTextField, digits only.
std::optional<size_t> ParseTextSize(std::string_view item) {
    if (item.size() < 3 || item.substr(0, 2) != "$*")
        return std::nullopt;
    size_t size = 0;
    for (char c : item.substr(2)) {
        if (c < '0' || c > '9')
            return std::nullopt;
        size = size * 10 + static_cast<size_t>(c - '0');
        if (size > MaxTextField)
            return std::nullopt;
    }
    if (size == 0)
        return std::nullopt;
    return size;
}
} // namespace

std::optional<TFieldLayout> TFieldLayout::Parse(std::string_view text) {
    if (text.empty())
        return std::nullopt;
    TFieldLayout layout;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        if (comma == std::string_view::npos)
            comma = text.size();
        std::string_view item = text.substr(start, comma - start);
        TFieldDesc field;
        if (!item.empty() && item.front() == 'X') {
            field.Indexed = true;
            item.remove_prefix(1);
        }
        if (item == "%") {
            field.Kind = TFieldDesc::TKind::Int16;
            field.Size = 2;
        } else if (auto size = ParseTextSize(item)) {
            field.Kind = TFieldDesc::TKind::Text;
            field.Size = *size;
        } else {
            return std::nullopt;
        }
        field.Offset = layout.FRecordSize;
        layout.FRecordSize += field.Size;
        layout.FFields.push_back(field);
        start = comma + 1;
    }
    return layout;
}

bool TFieldLayout::IsIndex(int position) const {
    return position >= 1 && position <= FieldCount() && Field(position).Indexed;
}

std::string FieldText(const unsigned char* field, size_t size) {
    const void* nul = std::memchr(field, 0, size);
    const size_t length = nul ? static_cast<size_t>(static_cast<const unsigned char*>(nul) - field) : size;
    return std::string(reinterpret_cast<const char*>(field), length);
}

TRecordBuffer::TRecordBuffer(const TFieldLayout& layout) : FLayout(&layout), FBytes(layout.RecordSize(), 0) {}

void TRecordBuffer::Clear() { std::fill(FBytes.begin(), FBytes.end(), 0); }

std::string TRecordBuffer::GetText(int position) const {
    const TFieldDesc& field = FLayout->Field(position);
    return FieldText(FBytes.data() + field.Offset, field.Size);
}

bool TRecordBuffer::SetText(int position, std::string_view text) {
    const TFieldDesc& field = FLayout->Field(position);
    const std::string_view stored = Utf8Prefix(text, field.Size - 1);
    unsigned char* target = FBytes.data() + field.Offset;
    std::memset(target, 0, field.Size);
    std::memcpy(target, stored.data(), stored.size());
    return stored.size() == text.size();
}

int16_t TRecordBuffer::GetInt(int position) const {
    const TFieldDesc& field = FLayout->Field(position);
    const unsigned char* source = FBytes.data() + field.Offset;
    return static_cast<int16_t>(static_cast<uint16_t>(source[0] | (source[1] << 8)));
}

void TRecordBuffer::SetInt(int position, int16_t value) {
    const TFieldDesc& field = FLayout->Field(position);
    const auto bits = static_cast<uint16_t>(value);
    FBytes[field.Offset] = static_cast<unsigned char>(bits & 0xFF);
    FBytes[field.Offset + 1] = static_cast<unsigned char>(bits >> 8);
}

} // namespace qel
