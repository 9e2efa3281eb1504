#include "dialogs/MessageLogic.h"

#include "platform/Platform.h"
#include "records/MessageObj.h"
#include "util/StringUtils.h"

namespace qel {

TMessageWindowState TMessageWindowLogic::Show() {
    FServices.Main.SetMessageTimerEnabled(false);
    FServices.Main.SetSendMessageEnabled(false);
    TMessageWindowState state;
    if (Caption == SendModeCaption) {
        state.SendEnabled = true;
        state.ClearTexts = true;
        state.TimeStaticText = "Created:";
    } else if (ReadMode()) {
        MarkReadOnClose = true;
        state.CancelEnabled = true;
        state.DeleteEnabled = true;
        state.TimeStaticText = "Received:";
    }
    return state;
}

void TMessageWindowLogic::Send(const std::string& subject, const std::string& messageText) {
    const std::string from = UpperAscii(FServices.Context.Platform.ComputerName());
    FServices.Messages.Send(ToComputerName, from, subject, messageText);
}

void TMessageWindowLogic::Delete() {
    FServices.Messages.DeleteMessage(PrimaryKey);
    MarkReadOnClose = false;
}

void TMessageWindowLogic::Close() {
    if (ReadMode()) {
        if (MarkReadOnClose)
            FServices.Messages.MarkMessageOld(PrimaryKey);
        if (!FServices.Messages.HasNewMessages())
            FServices.Main.ClearNewMailState();
    }
    FServices.Main.SetMessageTimerEnabled(true);
    FServices.Main.SetSendMessageEnabled(true);
}

void TInBoxLogic::Show(IInBoxList& list, IStatusPanels& panels) {
    FServices.Main.SetRefreshTimerEnabled(false);
    FServices.Main.SetMessageTimerEnabled(false);
    FServices.Messages.LoadInBox(list, panels);
    FServices.Context.StatusPanel.SetStatusText("");
}

std::string TInBoxLogic::Open(const std::string& key, const std::string& type) {
    std::string body = FServices.Messages.ReadMessageBody(key);
    if (type == MessageStateNew) {
        FServices.Messages.MarkMessageOld(key);
        FServices.Main.ClearNewMailState();
    }
    return body;
}

bool TInBoxLogic::Delete(const std::string& key, IInBoxList& list, IStatusPanels& panels) {
    if (!FServices.Context.Boxes.AskYesNo(DeleteMessageQuestion))
        return false;
    FServices.Messages.DeleteMessage(key);
    FServices.Messages.LoadInBox(list, panels);
    return true;
}

void TInBoxLogic::Close() {
    FServices.Main.SetRefreshTimerEnabled(true);
    FServices.Main.SetMessageTimerEnabled(true);
}

} // namespace qel
