#include "dialogs/ChoiceList.h"

#include <algorithm>
#include <cctype>

namespace qel {

int SelectExactText(IChoiceList& list, const std::string& text) {
    for (int i = 0; i < list.Count(); ++i) {
        if (list.TextAt(i) == text) {
            list.Select(i);
            return i;
        }
    }
    list.Select(-1);
    return -1;
}

int IChoiceList::InsertPosition(const std::string& text, bool sorted) const {
    const int count = Count();
    int at = sorted ? 0 : count;
    while (at < count && !SortsBefore(text, TextAt(at)))
        ++at;
    return at;
}

bool SortsBefore(const std::string& a, const std::string& b) {
    const auto lower = [](unsigned char c) { return std::tolower(c); };
    const bool less = std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [&](char x, char y) {
        return lower(static_cast<unsigned char>(x)) < lower(static_cast<unsigned char>(y));
    });
    const bool greater = std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), [&](char x, char y) {
        return lower(static_cast<unsigned char>(x)) < lower(static_cast<unsigned char>(y));
    });
    if (less || greater)
        return less;
    return a < b;
}

void TChoiceItems::Clear() {
    Items.clear();
    Selected = -1;
}

void TChoiceItems::Add(const std::string& text, int number) {
    Items.insert(Items.begin() + InsertPosition(text, FSorted), {text, number});
}

bool TChoiceItems::SelectText(const std::string& text) {
    return SelectExactText(*this, text) >= 0;
}

} // namespace qel
