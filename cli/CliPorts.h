#pragma once

#include "platform/Platform.h"
#include "records/UiPorts.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

// What the record classes would show on screen, turned into lines on
// standard error and into a verdict the command can test.
namespace qel::cli {

// The machine's platform with the computer and login names replaced when
// --computer or --user gave them (upper-cased, as the platform gives them).
class TCliPlatform : public TPlatformWrapper {
public:
    TCliPlatform(TPlatform& target, std::optional<std::string> computerName, std::optional<std::string> userName);
    std::string ComputerName() override;
    std::string UserName() override;

private:
    std::optional<std::string> FComputerName;
    std::optional<std::string> FUserName;
};

// Message boxes as lines on `err`: "error: ", "warning: " or nothing before
// the text, a carriage return inside the text shown as a new line. Every box
// that is not a question means the operation did not do what was asked, and
// is counted as a failure. A Yes/No question is answered Yes: the command
// the user typed is the confirmation (the question is still printed).
class TCliBoxes : public IMessageBoxes {
public:
    explicit TCliBoxes(std::ostream& err) : FErr(err) {}
    TBoxAnswer Show(TBoxKind kind, const std::string& text, TBoxButtons buttons) override;

    int Failures() const { return FFailures; }

    // While set, boxes are kept in Held (still counted as failures) instead
    // of printed, so that the caller can word the failure itself.
    bool Hold = false;
    std::vector<std::string> Held;

private:
    std::ostream& FErr;
    int FFailures = 0;
};

// Panel 0 of the status bar: keeps the last text; the register puts the
// engine error there when this computer's record cannot be read.
class TCliStatusPanel : public IStatusPanel {
public:
    void SetStatusText(const std::string& text) override { Text = text; }
    std::string Text;
};

// Tray image and the request to end: remembered, nothing shown.
class TCliApp : public ITrayImage, public IAppControl {
public:
    void SetTrayImage(int imageIndex) override { TrayImage = imageIndex; }
    void RequestTerminate() override { TerminateRequested = true; }
    int TrayImage = -1;
    bool TerminateRequested = false;
};

} // namespace qel::cli
