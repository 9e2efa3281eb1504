#pragma once

namespace qel {

class TIniFile;
class TPlatform;
class IMessageBoxes;

// Makes the program start at logon: reads Locations/Qel_File_Location
// (default "Not_Entered") and asks the platform for the autostart entry
// "Qel" that starts it. On success shows the information box "Qel will now
// start automatically on startup"; on failure shows an error box with the
// platform's reason and no confirmation. Returns whether the entry was made.
bool CreateAutostartShortcut(TIniFile& settings, TPlatform& platform, IMessageBoxes& boxes);

} // namespace qel
