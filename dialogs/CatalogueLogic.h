#pragma once

#include "dialogs/MainWindowHooks.h"
#include "dialogs/TextLimits.h"

#include <cstdint>
#include <string>

namespace qel {

// The two catalogues an administrator maintains with the same dialog.
enum class TCatalogueDialogKind { Statuses, Departments };

// What tells the status dialog and the department dialog apart.
struct TCatalogueDialogTexts {
    const char* FormName; // "TfrmQelStatuses"
    const char* Caption;  // "Administer Statuses"
    const char* ListName; // "lstStatuses"
    const char* Prompt;   // "Type Status..."
    const char* EditName; // "txtStatus"
    const char* EditHint; // empty: none
    const char* AddHint;  // empty: none
    const char* DeleteHint;
    const char* UpdateHint;
    const char* QuestionStart; // the delete question up to the quoted name
    const char* HelpTopic;
    TTextLimit EditLimit;
};

const TCatalogueDialogTexts& CatalogueTexts(TCatalogueDialogKind kind);

// The behaviour of the catalogue maintenance dialog. `SelectedItem` is the
// hidden box txtSelectedItem: the name of the list item last clicked, read
// afresh from the catalogue; it is kept across showings.
class TCatalogueLogic {
public:
    TCatalogueLogic(TDialogServices& services, TCatalogueDialogKind kind) : FServices(services), FKind(kind) {}

    TCatalogueDialogKind Kind() const { return FKind; }
    const TCatalogueDialogTexts& Texts() const { return CatalogueTexts(FKind); }

    // On show: makes sure the dataset exists and fills the list (statuses
    // without "Offline"). The dialog empties its edit box.
    void Show(INumberedList& list);
    // A click on the list: takes the selected item's name into SelectedItem.
    void Click(const INumberedList& list);

    // Enabling rules; blank is empty once spaces are trimmed. Built-in
    // statuses can be neither deleted nor renamed.
    static bool AddEnabled(const std::string& editText);
    bool DeleteEnabled(bool itemSelected) const;
    bool UpdateEnabled(bool itemSelected, const std::string& editText) const;

    // Add: adds `editText` (the catalogue refuses a name it holds already)
    // and refills the list.
    void Add(const std::string& editText, INumberedList& list);
    // Delete: asks DeleteQuestion(); on Yes deletes the selected item. The
    // list is refilled whatever the answer.
    void Delete(INumberedList& list);
    // Update: renames SelectedItem to `editText` and refills the list.
    void Update(const std::string& editText, INumberedList& list);
    std::string DeleteQuestion() const;
    void Help();

    std::string SelectedItem;

private:
    void Fill(INumberedList& list);
    bool BuiltIn() const;

    TDialogServices& FServices;
    TCatalogueDialogKind FKind;
};

} // namespace qel
