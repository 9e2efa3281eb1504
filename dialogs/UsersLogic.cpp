#include "dialogs/UsersLogic.h"

#include "platform/Platform.h"
#include "records/QelDepartmentObj.h"
#include "records/QelFile.h"
#include "records/QelStatusesObj.h"

namespace qel {

namespace {

// Passes ShowUser's values on to the dialog's boxes, keeping the status and
// the department in the hidden boxes of the logic.
class TDetailsCapture : public IUserDetailsView {
public:
    TDetailsCapture(IUserDetailsView& target, std::string& status, std::string& department)
        : FTarget(target), FStatus(status), FDepartment(department) {}
    void SetTxtName(const std::string& text) override { FTarget.SetTxtName(text); }
    void SetTxtStatus(const std::string& text) override {
        FStatus = text;
        FTarget.SetTxtStatus(text);
    }
    void SetTxtComments(const std::string& text) override { FTarget.SetTxtComments(text); }
    void SetTxtExtension(const std::string& text) override { FTarget.SetTxtExtension(text); }
    void SetTxtDepartment(const std::string& text) override {
        FDepartment = text;
        FTarget.SetTxtDepartment(text);
    }
    void SetTxtComputerName(const std::string& text) override { FTarget.SetTxtComputerName(text); }
    void SetChkboxAdministrator(bool checked) override { FTarget.SetChkboxAdministrator(checked); }

private:
    IUserDetailsView& FTarget;
    std::string& FStatus;
    std::string& FDepartment;
};

} // namespace

void TUsersLogic::Show(IChoiceList& users, IChoiceList& statuses, IChoiceList& departments) {
    StoredStatus.clear();
    FServices.Users.FillUserList(users);
    FServices.Statuses.CreateStatusDataset();
    FServices.Statuses.LoadStatuses(statuses);
    FServices.Departments.LoadDepartments(departments);
}

void TUsersLogic::Select(const IChoiceList& users, IUserDetailsView& view, IChoiceList& statuses,
                         IChoiceList& departments) {
    TDetailsCapture capture(view, StoredStatus, StoredDepartment);
    FServices.Users.ShowUser(users, capture);
    SelectExactText(statuses, StoredStatus);
    SelectExactText(departments, StoredDepartment);
}

void TUsersLogic::Update(const TUserEdits& edits, const IChoiceList& statuses, const IChoiceList& departments,
                         IChoiceList& users) {
    TQelUser& user = FServices.Context.CurrentUser;
    user.UserName = edits.Name;
    user.Status = statuses.SelectedText();
    user.Comments = edits.Comments;
    user.Extension = edits.Extension;
    user.Department = departments.SelectedText();
    user.ComputerName = edits.ComputerName;
    user.Administrator = edits.Administrator ? 1 : 0;
    FServices.Users.SaveUser();
    FServices.Users.FillUserList(users);
    FServices.Users.ListUsers(FServices.Main.Board());
}

std::string TUsersLogic::DeleteQuestion(const std::string& nameText) {
    return "Are you sure you want to delete \"" + nameText + " \"";
}

bool TUsersLogic::Delete(const std::string& nameText, IChoiceList& users) {
    if (!FServices.Context.Boxes.AskYesNo(DeleteQuestion(nameText)))
        return false;
    FServices.Users.DeleteUser(users);
    FServices.Users.FillUserList(users);
    return true;
}

void TUsersLogic::Help() {
    if (std::string error; !FServices.Context.Platform.OpenHelp(UsersHelpTopic, &error))
        FServices.Context.Boxes.ShowError(error);
}

} // namespace qel
