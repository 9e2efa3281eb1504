#pragma once

#include "platform/Platform.h"
#include "records/QelFile.h"
#include "records/UiPorts.h"
#include "settings/IniFile.h"

#include <optional>
#include <string>

namespace qel {

inline constexpr const char* WizardCaption = "Qel Database Wizard";
inline constexpr const char* WizardIntroText =
    "Welcome to Qel, before running Qel you will need to connect to an existing, or create a new Qel Database.  "
    "Please select which option you require and then select \"Next\" to continue. ";
inline constexpr const char* WizardJoinText =
    "Please select the location of the Qel Database by clicking \"Next\" below.";
inline constexpr const char* WizardCreateText =
    "Please choose the destination for the new Qel Database by clicking on \"Next\" below.";
inline constexpr const char* WizardJoinTitle = "Join DBase";
inline constexpr const char* WizardCreateTitle = "Create DBase";
inline constexpr const char* WizardNoDatabaseText = "Qel was unable to find an QelDBase";
inline constexpr const char* WizardDatabaseExistsText = "An QelDBase already exists in this folder";

// The folder-selection dialog: the chosen folder, or nullopt when cancelled.
class IFolderPicker {
public:
    virtual ~IFolderPicker() = default;
    virtual std::optional<std::string> ChooseFolder(const std::string& title) = 0;
};

// The rules of the database wizard: three pages (0 intro, 1 join, 2 create),
// two choices, and what Next, Previous and Cancel do. The window only shows
// the page and the enabled state this object reports.
class TDatabaseWizardLogic {
public:
    enum TPage { Intro = 0, Join = 1, Create = 2 };

    // Every reference must outlive the object.
    TDatabaseWizardLogic(TPlatform& platform, TIniFile& settings, TQelFile& users, IMessageBoxes& boxes,
                         IFolderPicker& folders, IAppControl& app);

    int Page() const { return FPage; }
    bool JoinSelected() const { return FJoin; }
    bool CreateSelected() const { return FCreate; }
    void SelectJoin() { FJoin = true, FCreate = false; }
    void SelectCreate() { FCreate = true, FJoin = false; }

    // Next needs a choice, on every page; Previous a page after the first.
    bool NextEnabled() const { return FJoin || FCreate; }
    bool PreviousEnabled() const { return FPage > Intro; }

    // Page 0: to the join or the create page. Page 1: choose a folder that
    // holds QelDBase.isd, store it and finish. Page 2: choose a folder
    // without one, store it, create the users dataset with this computer as
    // its administrator and finish. A wrong folder shows its box and stays;
    // a cancelled folder dialog does nothing.
    void Next();
    // Back to the first page.
    void Previous();
    // Ends the program; nothing is written. The close box does the same.
    void Cancel();
    // The help topic "Installation".
    void Help();

    // The wizard has stored a folder and should close.
    bool Finished() const { return FFinished; }
    bool Cancelled() const { return FCancelled; }

private:
    // Stores `folder` as the database folder; false (after an error box)
    // when the settings file cannot be written.
    bool StoreLocation(const std::string& folder);

    TPlatform& FPlatform;
    TIniFile& FSettings;
    TQelFile& FUsers;
    IMessageBoxes& FBoxes;
    IFolderPicker& FFolders;
    IAppControl& FApp;
    int FPage = Intro;
    bool FJoin = false;
    bool FCreate = false;
    bool FFinished = false;
    bool FCancelled = false;
};

} // namespace qel
