#include "dialogs/PickerLogic.h"

#include "records/QelDepartmentObj.h"
#include "records/QelFile.h"
#include "records/QelStatusesObj.h"

namespace qel {

void TSelectStatusLogic::Show(INumberedList& list) {
    FServices.Statuses.LoadSelectableStatuses(list);
}

void TSelectStatusLogic::Click(const INumberedList& list) {
    const int index = list.SelectedIndex();
    if (index < 0)
        return;
    SelectedStatus = FServices.Statuses.GetStatusName(list.NumberAt(index));
    FServices.Context.CurrentUser.Status = SelectedStatus;
    FServices.Users.SaveStatus();
    FServices.Users.ListUsers(FServices.Main.Board());
}

void TSelectDepartmentLogic::Show(INumberedList& list) {
    FServices.Departments.LoadDepartments(list);
}

void TSelectDepartmentLogic::Click(const INumberedList& list) {
    const int index = list.SelectedIndex();
    if (index < 0)
        return;
    SelectedDepartment = FServices.Departments.GetDepartmentName(list.NumberAt(index));
    FServices.Main.SetCaption(FilteredCaptionStart + SelectedDepartment);
    FServices.Departments.FilterName = SelectedDepartment;
    FServices.Departments.Filtered = true;
    FServices.Users.ListDepartmentUsers(FServices.Main.Board(), SelectedDepartment);
}

void TSelectDepartmentLogic::CloseClicked(const INumberedList& list) {
    if (list.SelectedIndex() >= 0)
        return;
    FServices.Departments.FilterName.clear();
    FServices.Departments.Filtered = false;
    FServices.Main.SetCaption(AllDepartmentsTitle);
    FServices.Users.ListUsers(FServices.Main.Board());
}

std::string TCommentsLogic::Show() {
    FServices.Users.LoadCurrentUser();
    return FServices.Context.CurrentUser.Comments;
}

void TCommentsLogic::Ok(const std::string& comments) {
    FServices.Context.CurrentUser.Comments = comments;
    FServices.Users.SaveUser();
    FServices.Users.ListUsers(FServices.Main.Board());
}

} // namespace qel
