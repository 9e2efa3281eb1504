#include "app/MainDialogs.h"

#include "app/IdleUpdates.h"
#include "app/Main.h"
#include "app/MainController.h"
#include "dialogs/QelComments.h"
#include "dialogs/QelDepartments.h"
#include "dialogs/QelMessageInBox.h"
#include "dialogs/QelMessages.h"
#include "dialogs/QelStatuses.h"
#include "dialogs/QelUsers.h"
#include "dialogs/SelectDepartment.h"
#include "dialogs/SelectStatus.h"
#include "dialogs/Settings.h"

#include <QHeaderView>
#include <QToolBar>
#include <QTreeWidget>

namespace qel {

TQtMainDialogs::TQtMainDialogs() = default;
TQtMainDialogs::~TQtMainDialogs() = default;

void TQtMainDialogs::Create(TfrmMain& main) {
    FMain = &main;
    TMainController& controller = main.Controller();
    FServices.reset(new TDialogServices{controller.Context(), controller.Settings(), controller.Users(),
                                        controller.Statuses(), controller.Departments(), controller.Messages(), *this,
                                        [](QObject* owner, std::function<void()> handler) {
                                            TIdleUpdates::Instance().Register(owner, std::move(handler));
                                        },
                                        [&controller] { return controller.ScreenLockAvailable(); }});
}

bool TQtMainDialogs::Available(TMainDialog) const {
    return FMain != nullptr;
}

namespace {

// Returns `dialog`, made by `make` the first time it is needed.
template <typename T, typename Make> T* Made(T*& dialog, Make make) {
    if (!dialog)
        dialog = make();
    return dialog;
}

} // namespace

void TQtMainDialogs::Show(TMainDialog dialog) {
    if (!FMain)
        return;
    TDialogServices& services = *FServices;
    TfrmMain* main = FMain;
    switch (dialog) {
    case TMainDialog::Settings:
        Made(FSettings, [&] { return new TfrmSettings(services, main); })->exec();
        return;
    case TMainDialog::CustomStatus:
        Made(FSelectStatus, [&] { return new TfrmSelectStatus(services, main); })->exec();
        return;
    case TMainDialog::Comments:
        Made(FComments, [&] { return new TfrmQelComments(services, main); })->exec();
        return;
    case TMainDialog::Users:
        Made(FUsers, [&] { return new TfrmQelUsers(services, main); })->exec();
        return;
    case TMainDialog::Departments:
        Made(FDepartments, [&] { return NewQelDepartments(services, main); })->exec();
        return;
    case TMainDialog::Statuses:
        Made(FStatuses, [&] { return new TfrmQelCatalogue(services, TCatalogueDialogKind::Statuses, main); })->exec();
        return;
    case TMainDialog::InBox:
        Made(FInBox, [&] { return new TfrmQelMessageInBox(services, main); })->exec();
        return;
    case TMainDialog::SendMessage:
        return;
    case TMainDialog::SelectDepartment:
        Made(FSelectDepartment, [&] { return new TfrmSelectDepartment(services, main); })->exec();
        return;
    }
}

void TQtMainDialogs::ShowSendMessage(const TMessageWindowFields& fields, const std::string& toComputerName) {
    if (MessageWindow())
        FMessages->ShowSend(fields, toComputerName);
}

bool TQtMainDialogs::MessageDialogOnScreen() const {
    return (FMessages && FMessages->isVisible()) || (FInBox && FInBox->isVisible());
}

IMessageWindow* TQtMainDialogs::MessageWindow() {
    if (!FMain)
        return nullptr;
    return Made(FMessages, [this] { return new TfrmQelMessages(*FServices, FMain); });
}

void TQtMainDialogs::SetRefreshTimerEnabled(bool enabled) {
    FMain->SetRefreshTimerEnabled(enabled);
}

void TQtMainDialogs::SetMessageTimerEnabled(bool enabled) {
    FMain->SetMessageTimerEnabled(enabled);
}

void TQtMainDialogs::SetSendMessageEnabled(bool enabled) {
    FMain->Controller().SetSendMessageAllowed(enabled);
}

void TQtMainDialogs::ClearNewMailState() {
    FMain->Controller().ClearNewMailState();
}

IBoardList& TQtMainDialogs::Board() {
    return FMain->Controller().BoardAfterOwnWrite();
}

void TQtMainDialogs::SetCaption(const std::string& caption) {
    FMain->SetCaption(caption);
}

void TQtMainDialogs::ShowColumns(bool ext, bool department, bool comments) {
    FMain->ShowColumns(ext, department, comments);
}

void TQtMainDialogs::WidenByOnePixel() {
    FMain->resize(FMain->width() + 1, FMain->height());
}

void TQtMainDialogs::ApplyShape(const TMainShape& shape) {
    FMain->ApplyShape(shape);
}

} // namespace qel
