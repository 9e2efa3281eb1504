#pragma once

#include "dialogs/MainWindowHooks.h"

#include <string>

namespace qel {

inline constexpr const char* SelectStatusCaption = "Please select status";
inline constexpr const char* SelectDepartmentCaption = "Please select Department";
inline constexpr const char* CommentsCaption = "Qel - Comments";
inline constexpr const char* FilteredCaptionStart = "Qel - Filtered on ";
inline constexpr const char* AllDepartmentsTitle = "Qel - All Departments";

// The status picker: a click on a catalogue status makes it this
// computer's status.
class TSelectStatusLogic {
public:
    explicit TSelectStatusLogic(TDialogServices& services) : FServices(services) {}

    // On show: every status but "Offline".
    void Show(INumberedList& list);
    // A click (the picker has closed): reads the selected entry's name afresh
    // into SelectedStatus, writes it as this computer's status and refills
    // the board. No selection: nothing happens.
    void Click(const INumberedList& list);

    std::string SelectedStatus; // txtSelectedStatus

private:
    TDialogServices& FServices;
};

// The department picker: filters the board to one department, or clears the
// filter when closed without a choice.
class TSelectDepartmentLogic {
public:
    explicit TSelectDepartmentLogic(TDialogServices& services) : FServices(services) {}

    // On show: every department, nothing selected.
    void Show(INumberedList& list);
    // A click (the picker has closed): the main window's caption becomes
    // "Qel - Filtered on <name>", the department catalogue's filter is set
    // and the board shows that department's users only.
    void Click(const INumberedList& list);
    // The Close button: when nothing is selected, clears the filter, sets the
    // caption "Qel - All Departments" and shows every user.
    void CloseClicked(const INumberedList& list);

    std::string SelectedDepartment; // txtSelectedDepartment

private:
    TDialogServices& FServices;
};

// The comments dialog: edits this computer's comment.
class TCommentsLogic {
public:
    explicit TCommentsLogic(TDialogServices& services) : FServices(services) {}

    // On show: reads this computer's record afresh; returns its comment.
    std::string Show();
    // OK: writes `comments` over this computer's record and refills the board.
    void Ok(const std::string& comments);

private:
    TDialogServices& FServices;
};

// The growth of the comments banner: from 10 to 24 points, one point per
// 25 ms step, started 15 ms after each show.
class TBannerZoom {
public:
    static constexpr int FirstSize = 10;
    static constexpr int LastSize = 24;
    static constexpr int StartDelayMs = 15;
    static constexpr int StepMs = 25;

    // Back to the first size; the growth starts again.
    void Restart() {
        FSize = FirstSize;
        FRunning = true;
    }
    // One step: the next size to draw, or the last size (and stopped) once
    // it has been reached.
    int Step() {
        if (FRunning && FSize < LastSize)
            ++FSize;
        if (FSize >= LastSize)
            FRunning = false;
        return FSize;
    }
    int Size() const { return FSize; }
    bool Running() const { return FRunning; }

private:
    int FSize = FirstSize;
    bool FRunning = false;
};

} // namespace qel
