#pragma once

#include "records/UiPorts.h"

#include <string>

namespace qel {

// A list box or drop-down list the record classes fill, which a dialog also
// reads back and selects in.
class IChoiceList : public INumberedList {
public:
    virtual int Count() const = 0;
    virtual std::string TextAt(int index) const = 0;
    // Selects entry `index`; -1 selects nothing (a drop-down then shows blank).
    virtual void Select(int index) = 0;

    // The selected entry's text; empty when nothing is selected.
    std::string SelectedText() const {
        const int index = SelectedIndex();
        return index < 0 ? std::string() : TextAt(index);
    }

    // Where a new entry `text` goes: at the end, or when `sorted` before the
    // first entry that sorts after it (SortsBefore).
    int InsertPosition(const std::string& text, bool sorted) const;
};

// Selects the first entry of `list` whose text equals `text` exactly (letter
// case counts), trying each in order; nothing when none does. Returns the
// index selected or -1.
int SelectExactText(IChoiceList& list, const std::string& text);

// An in-memory choice list. Entries keep the order they were added in unless
// `sorted`, when each is inserted before the first entry that sorts after it
// (ignoring letter case), as a sorted list box does. Clear leaves nothing
// selected, as refilling a list box does.
class TChoiceItems : public IChoiceList {
public:
    explicit TChoiceItems(bool sorted = false) : FSorted(sorted) {}
    void BeginUpdate() override {}
    void Clear() override;
    void Add(const std::string& text, int number) override;
    void EndUpdate() override {}
    int SelectedIndex() const override { return Selected; }
    int NumberAt(int index) const override { return Items.at(static_cast<size_t>(index)).Number; }
    int Count() const override { return static_cast<int>(Items.size()); }
    std::string TextAt(int index) const override { return Items.at(static_cast<size_t>(index)).Text; }
    void Select(int index) override { Selected = index; }

    // Selects the first entry with `text`; false when there is none.
    bool SelectText(const std::string& text);

    std::vector<TNumberedItems::TItem> Items;
    int Selected = -1;

private:
    bool FSorted;
};

// Order of a sorted list: letter case ignored (ASCII), then byte order.
bool SortsBefore(const std::string& a, const std::string& b);

} // namespace qel
