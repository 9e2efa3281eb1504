#include "app/DatabaseWizardLogic.h"

#include "settings/SettingsKeys.h"
#include "util/StringUtils.h"

namespace qel {

namespace {
constexpr const char* UsersFileName = "QelDBase.isd";
} // namespace

TDatabaseWizardLogic::TDatabaseWizardLogic(TPlatform& platform, TIniFile& settings, TQelFile& users,
                                           IMessageBoxes& boxes, IFolderPicker& folders, IAppControl& app)
    : FPlatform(platform), FSettings(settings), FUsers(users), FBoxes(boxes), FFolders(folders), FApp(app) {}

bool TDatabaseWizardLogic::StoreLocation(const std::string& folder) {
    try {
        FSettings.WriteString(keys::Locations, keys::DBaseLocation, folder);
    } catch (const EIniFileError& error) {
        FBoxes.ShowError(error.what());
        return false;
    }
    FUsers.Location = folder;
    return true;
}

void TDatabaseWizardLogic::Next() {
    if (!NextEnabled() || FFinished || FCancelled)
        return;
    switch (FPage) {
    case Intro:
        FPage = FJoin ? Join : Create;
        return;
    case Join: {
        const std::optional<std::string> chosen = FFolders.ChooseFolder(WizardJoinTitle);
        if (!chosen || chosen->empty())
            return;
        const std::string folder = AddBackslash(*chosen);
        if (!FPlatform.FileExists(folder + UsersFileName)) {
            FBoxes.ShowInformation(WizardNoDatabaseText);
            return;
        }
        if (StoreLocation(folder))
            FFinished = true;
        return;
    }
    case Create: {
        const std::optional<std::string> chosen = FFolders.ChooseFolder(WizardCreateTitle);
        if (!chosen || chosen->empty())
            return;
        const std::string folder = AddBackslash(*chosen);
        if (FPlatform.FileExists(folder + UsersFileName)) {
            FBoxes.ShowInformation(WizardDatabaseExistsText);
            return;
        }
        if (!StoreLocation(folder))
            return;
        // Failures are reported by the register itself; the wizard closes
        // either way.
        FUsers.RegisterComputer();
        FFinished = true;
        return;
    }
    }
}

void TDatabaseWizardLogic::Previous() {
    if (PreviousEnabled())
        FPage = Intro;
}

void TDatabaseWizardLogic::Cancel() {
    if (FFinished || FCancelled)
        return;
    FCancelled = true;
    FApp.RequestTerminate();
}

void TDatabaseWizardLogic::Help() {
    if (std::string error; !FPlatform.OpenHelp("Installation", &error))
        FBoxes.ShowError(error);
}

} // namespace qel
