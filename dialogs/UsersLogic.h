#pragma once

#include "dialogs/ChoiceList.h"
#include "dialogs/MainWindowHooks.h"

#include <string>

namespace qel {

class IUserDetailsView;

inline constexpr const char* UsersCaption = "Administer Qel Users";
inline constexpr const char* UsersHelpTopic = "Editing_Deleting_Users";

// The boxes of the user maintenance dialog that Update writes.
struct TUserEdits {
    std::string Name;         // txtName
    std::string Comments;     // txtComments
    std::string Extension;    // txtExtension
    std::string ComputerName; // txtComputerName
    bool Administrator = false;
};

// The user maintenance dialog's behaviour. StoredStatus and StoredDepartment
// are the hidden boxes txtStatus and txtDepartment: the values of the user
// last shown, as the register holds them.
class TUsersLogic {
public:
    explicit TUsersLogic(TDialogServices& services) : FServices(services) {}

    // On show: fills the user list, makes sure the statuses dataset exists,
    // fills the status choices (every status, "Offline" too) and the
    // department choices. The dialog empties its boxes. StoredStatus is
    // emptied; StoredDepartment is kept until the next selection.
    void Show(IChoiceList& users, IChoiceList& statuses, IChoiceList& departments);
    // A click on the user list: shows the selected user's record in `view`
    // and selects their status and department by exact text, or nothing.
    void Select(const IChoiceList& users, IUserDetailsView& view, IChoiceList& statuses, IChoiceList& departments);

    static bool UpdateEnabled(const IChoiceList& users) { return users.SelectedIndex() >= 0; }
    // The last remaining user can never be deleted.
    static bool DeleteEnabled(const IChoiceList& users) { return users.SelectedIndex() >= 0 && users.Count() > 1; }

    // Update: writes the edits and the selected status and department (empty
    // when none is selected) over the record with edits.ComputerName, through
    // the shared working user, then refills the user list and the board. The
    // dialog empties its boxes and selections afterwards.
    void Update(const TUserEdits& edits, const IChoiceList& statuses, const IChoiceList& departments,
                IChoiceList& users);
    // Delete: asks about `nameText` (the Name box as it is now); on Yes
    // deletes the selected user and refills the list, and returns true. The
    // board waits for its next refresh.
    bool Delete(const std::string& nameText, IChoiceList& users);
    static std::string DeleteQuestion(const std::string& nameText);
    void Help();

    std::string StoredStatus;
    std::string StoredDepartment;

private:
    TDialogServices& FServices;
};

} // namespace qel
