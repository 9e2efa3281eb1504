#pragma once

#include "QelUser.h"
#include "UiPorts.h"

namespace qel {

class TPlatform;
class TIniFile;

// Shows the database wizard modally; the wizard stores the location in the
// settings and sets the users object's Location, or ends the program.
class IDatabaseWizard {
public:
    virtual ~IDatabaseWizard() = default;
    virtual void Execute() = 0;
};

// The program-wide objects the record classes work on. The main window owns
// one; tests make their own per simulated computer.
struct TQelContext {
    TPlatform& Platform;
    TIniFile& Settings;
    IMessageBoxes& Boxes;
    IStatusPanel& StatusPanel;
    ITrayImage& Tray;
    IAppControl& App;
    IDatabaseWizard* Wizard = nullptr;

    // Where the engine library is looked for; empty in the program (beside
    // the program, then the library search). Tests point it elsewhere.
    std::string EngineFolder;

    // The working copy of a user record, filled and written by the status
    // commands and the dialogs.
    TQelUser CurrentUser;
    // Enables the maintenance of users, statuses and departments.
    bool IsAdministrator = false;
};

} // namespace qel
