#include "cli/CliPorts.h"

#include "cli/CliText.h"
#include "util/StringUtils.h"

namespace qel::cli {

TCliPlatform::TCliPlatform(TPlatform& target, std::optional<std::string> computerName,
                           std::optional<std::string> userName)
    : TPlatformWrapper(target), FComputerName(std::move(computerName)), FUserName(std::move(userName)) {}

std::string TCliPlatform::ComputerName() {
    return FComputerName ? UpperAscii(*FComputerName) : TPlatformWrapper::ComputerName();
}

std::string TCliPlatform::UserName() {
    return FUserName ? UpperAscii(*FUserName) : TPlatformWrapper::UserName();
}

TBoxAnswer TCliBoxes::Show(TBoxKind kind, const std::string& text, TBoxButtons buttons) {
    if (Hold) {
        Held.push_back(text);
        ++FFailures;
        return TBoxAnswer::Ok;
    }
    std::string shown;
    for (const char c : text)
        shown += c == '\r' ? '\n' : c;
    switch (kind) {
    case TBoxKind::Error:
        FErr << "qelctl: ";
        break;
    case TBoxKind::Warning:
        FErr << "qelctl: warning: ";
        break;
    case TBoxKind::Information:
    case TBoxKind::Plain:
        FErr << "qelctl: ";
        break;
    }
    FErr << TerminalText(shown) << '\n';
    if (buttons == TBoxButtons::YesNo)
        return TBoxAnswer::Yes;
    ++FFailures;
    return TBoxAnswer::Ok;
}

} // namespace qel::cli
