#pragma once

#include <string>
#include <string_view>
#include <sys/types.h>

// Pure helpers behind the Linux platform, kept apart so they can be checked
// without touching the machine.
namespace qel {

// A host name as the register uses it: cut at the first "." (the domain part),
// in upper case, and no longer than the register's computer-name field (20
// bytes), so the name that is stored is the name that is looked up.
// "ws12.office.example" -> "WS12".
inline constexpr size_t MaxComputerNameBytes = 20;
std::string NormaliseHostName(std::string_view hostName);

// The configuration folder, ending with "/": `xdgConfigHome` when it is set
// and absolute (the XDG base-directory rule: a relative value is ignored),
// otherwise `home` + "/.config/". Empty when neither gives an absolute path.
std::string ConfigFolderFor(const char* xdgConfigHome, const char* home);

// The file name of the single-instance lock called `name` for user `uid`:
// every character outside [A-Za-z0-9._-] becomes "_", and the user id is
// appended so that two users on one machine each get their own lock.
// "TVK - Qel", 1000 -> "TVK_-_Qel-1000.lock".
std::string InstanceLockFileName(std::string_view name, uid_t uid);

// `argument` as one argument of a desktop entry's Exec key: quoted in double
// quotes when it holds a reserved character, with '"', '`', '$' and '\'
// escaped inside the quotes, and '%' doubled. The result still needs
// EscapeDesktopValue before it goes into the file.
std::string QuoteExecArgument(std::string_view argument);

// The string-value escapes of a desktop entry file: '\' -> "\\", newline ->
// "\n", tab -> "\t", carriage return -> "\r".
std::string EscapeDesktopValue(std::string_view value);

// Text of the XDG autostart entry that starts `target` at logon.
std::string AutostartEntryText(std::string_view description, std::string_view target);

// "file://" URL of an absolute path with an optional "#fragment"; bytes
// outside the unreserved set and "/" are percent-encoded.
std::string FileUrl(std::string_view absolutePath, std::string_view fragment);

} // namespace qel
