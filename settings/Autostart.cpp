#include "settings/Autostart.h"

#include "platform/Platform.h"
#include "records/UiPorts.h"
#include "settings/IniFile.h"
#include "settings/SettingsKeys.h"

namespace qel {

bool CreateAutostartShortcut(TIniFile& settings, TPlatform& platform, IMessageBoxes& boxes) {
    const std::string target = settings.ReadString(keys::Locations, keys::FileLocation, keys::NotEntered);
    std::string error;
    if (!platform.CreateAutostartEntry(keys::AutostartDescription, target, &error)) {
        boxes.ShowError(error);
        return false;
    }
    boxes.ShowInformation(keys::AutostartConfirmation);
    return true;
}

} // namespace qel
