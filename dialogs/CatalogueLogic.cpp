#include "dialogs/CatalogueLogic.h"

#include "platform/Platform.h"
#include "records/QelContext.h"
#include "records/QelDepartmentObj.h"
#include "records/QelStatusesObj.h"

#include <algorithm>

namespace qel {

namespace {

const TCatalogueDialogTexts StatusTexts{"TfrmQelStatuses",
                                        "Administer Statuses",
                                        "lstStatuses",
                                        "Type Status...",
                                        "txtStatus",
                                        "",
                                        "",
                                        "",
                                        "",
                                        "Are you sure you want to delete the Status ",
                                        "Adding_Statuses",
                                        limits::Status};

const TCatalogueDialogTexts DepartmentTexts{"TfrmQelDepartments", "Administer Departments",
                                            "lstDepartments",     "Type Department...",
                                            "txtDepartment",      "Please type here",
                                            "Add department",     "Delete department",
                                            "Update department",  "Are you sure you want to delete the Department ",
                                            "Adding_Departments", limits::Department};

// Empty once spaces and control characters are trimmed from both ends.
bool Blank(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) <= ' '; });
}

} // namespace

const TCatalogueDialogTexts& CatalogueTexts(TCatalogueDialogKind kind) {
    return kind == TCatalogueDialogKind::Statuses ? StatusTexts : DepartmentTexts;
}

void TCatalogueLogic::Fill(INumberedList& list) {
    if (FKind == TCatalogueDialogKind::Statuses)
        FServices.Statuses.LoadSelectableStatuses(list);
    else
        FServices.Departments.LoadDepartments(list);
}

bool TCatalogueLogic::BuiltIn() const {
    return FKind == TCatalogueDialogKind::Statuses && TQelStatus::IsBuiltInStatus(SelectedItem);
}

void TCatalogueLogic::Show(INumberedList& list) {
    if (FKind == TCatalogueDialogKind::Statuses)
        FServices.Statuses.CreateStatusDataset();
    else
        FServices.Departments.CreateDepartmentDataset();
    Fill(list);
}

void TCatalogueLogic::Click(const INumberedList& list) {
    const int index = list.SelectedIndex();
    if (index < 0)
        return;
    const int32_t number = list.NumberAt(index);
    SelectedItem = FKind == TCatalogueDialogKind::Statuses ? FServices.Statuses.GetStatusName(number)
                                                           : FServices.Departments.GetDepartmentName(number);
}

bool TCatalogueLogic::AddEnabled(const std::string& editText) {
    return !Blank(editText);
}

bool TCatalogueLogic::DeleteEnabled(bool itemSelected) const {
    return itemSelected && !BuiltIn();
}

bool TCatalogueLogic::UpdateEnabled(bool itemSelected, const std::string& editText) const {
    return itemSelected && !BuiltIn() && !Blank(editText);
}

void TCatalogueLogic::Add(const std::string& editText, INumberedList& list) {
    if (FKind == TCatalogueDialogKind::Statuses)
        FServices.Statuses.AddStatus(editText);
    else
        FServices.Departments.AddDepartment(editText);
    Fill(list);
}

std::string TCatalogueLogic::DeleteQuestion() const {
    return std::string(Texts().QuestionStart) + "\"" + SelectedItem + "\"";
}

void TCatalogueLogic::Delete(INumberedList& list) {
    if (FServices.Context.Boxes.AskYesNo(DeleteQuestion())) {
        const int index = list.SelectedIndex();
        if (index >= 0) {
            if (FKind == TCatalogueDialogKind::Statuses)
                FServices.Statuses.DeleteStatus(list.NumberAt(index));
            else
                FServices.Departments.DeleteDepartment(list.NumberAt(index));
        }
    }
    Fill(list);
}

void TCatalogueLogic::Update(const std::string& editText, INumberedList& list) {
    if (FKind == TCatalogueDialogKind::Statuses)
        FServices.Statuses.RenameStatus(SelectedItem, editText);
    else
        FServices.Departments.RenameDepartment(SelectedItem, editText);
    Fill(list);
}

void TCatalogueLogic::Help() {
    if (std::string error; !FServices.Context.Platform.OpenHelp(Texts().HelpTopic, &error))
        FServices.Context.Boxes.ShowError(error);
}

} // namespace qel
