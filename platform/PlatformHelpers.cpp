#include "platform/PlatformHelpers.h"

#include "util/StringUtils.h"

namespace qel {

std::string NormaliseHostName(std::string_view hostName) {
    const std::string_view host = hostName.substr(0, hostName.find('.'));
    return UpperAscii(Utf8Prefix(host, MaxComputerNameBytes));
}

std::string ConfigFolderFor(const char* xdgConfigHome, const char* home) {
    if (xdgConfigHome && xdgConfigHome[0] == '/')
        return AddBackslash(xdgConfigHome);
    if (home && home[0] == '/')
        return AddBackslash(home) + ".config/";
    return {};
}

std::string InstanceLockFileName(std::string_view name, uid_t uid) {
    std::string result;
    for (char c : name) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
                           c == '_' || c == '-';
        result += plain ? c : '_';
    }
    // A name made only of dots must not become "." or "..".
    if (result.find_first_not_of('.') == std::string::npos)
        result.insert(0, "_");
    return result + "-" + std::to_string(uid) + ".lock";
}

std::string QuoteExecArgument(std::string_view argument) {
    static constexpr std::string_view Reserved = " \t\n\"'\\><~|&;$*?#()`";
    std::string result;
    const bool quote = argument.empty() || argument.find_first_of(Reserved) != std::string_view::npos;
    if (quote)
        result += '"';
    for (char c : argument) {
        if (quote && (c == '"' || c == '`' || c == '$' || c == '\\'))
            result += '\\';
        if (c == '%')
            result += '%';
        result += c;
    }
    if (quote)
        result += '"';
    return result;
}

std::string EscapeDesktopValue(std::string_view value) {
    std::string result;
    for (char c : value) {
        switch (c) {
        case '\\':
            result += "\\\\";
            break;
        case '\n':
            result += "\\n";
            break;
        case '\t':
            result += "\\t";
            break;
        case '\r':
            result += "\\r";
            break;
        default:
            result += c;
        }
    }
    return result;
}

std::string AutostartEntryText(std::string_view description, std::string_view target) {
    std::string text = "[Desktop Entry]\n"
                       "Type=Application\n";
    text += "Name=" + EscapeDesktopValue(description) + "\n";
    text += "Exec=" + EscapeDesktopValue(QuoteExecArgument(target)) + "\n";
    text += "X-GNOME-Autostart-enabled=true\n";
    return text;
}

std::string FileUrl(std::string_view absolutePath, std::string_view fragment) {
    std::string url = "file://" + PercentEncode(absolutePath, true);
    if (!fragment.empty())
        url += "#" + PercentEncode(fragment);
    return url;
}

} // namespace qel
