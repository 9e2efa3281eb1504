#pragma once

#include "dialogs/MainWindowHooks.h"
#include "dialogs/MessageLogic.h"
#include "dialogs/QelDialog.h"
#include "records/UiPorts.h"

class QAction;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace qel {

// The message window: writes a message to another user ("Send Message...")
// or shows one that has arrived ("Read Message..."). The caption set before
// the window is shown is its mode.
class TfrmQelMessages : public TQelDialog, public IMessageWindow {
    Q_OBJECT
public:
    TfrmQelMessages(TDialogServices& services, QWidget* parent = nullptr);

    // Read mode, for the message store: fills the window with `fields` and
    // shows it modally.
    void ShowModal(const TMessageWindowFields& fields) override;
    // Send mode: `fields` gives caption, sender, recipient and the time;
    // `toComputerName` is the address. Shows the window modally.
    void ShowSend(const TMessageWindowFields& fields, const std::string& toComputerName);
    // Fills the window without showing it.
    void Prepare(const TMessageWindowFields& fields, const std::string& toComputerName);

    TMessageWindowLogic& Logic() { return FLogic; }

    QAction* actSend = nullptr;
    QAction* actCancel = nullptr;
    QAction* actDelete = nullptr;
    QLabel* lblTo = nullptr;
    QLabel* lblFrom = nullptr;
    QLabel* lblTimeStatic = nullptr;
    QLabel* lblReceived = nullptr;
    QLineEdit* txtSubject = nullptr;
    QPlainTextEdit* MemoMessage = nullptr;

protected:
    void FormShow() override;
    void FormClose() override;

private:
    void actSendExecute();
    void actDeleteExecute();

    TDialogServices& FServices;
    TMessageWindowLogic FLogic;
};

} // namespace qel
