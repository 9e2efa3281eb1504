#pragma once

#include "dialogs/MainWindowHooks.h"
#include "dialogs/PickerLogic.h"
#include "dialogs/QelDialog.h"

#include <QWidget>

class QLineEdit;
class QPushButton;
class QTimer;

namespace qel {

// A decorative text drawn at an angle (lblCommentsBanner).
class TAngledLabel : public QWidget {
    Q_OBJECT
public:
    TAngledLabel(const QString& text, int angleDegrees, QWidget* parent = nullptr);
    void SetPointSize(int size);
    int PointSize() const { return FPointSize; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString FText;
    int FAngle;
    int FPointSize = 10;
};

// "Qel - Comments": edits this computer's comment.
class TfrmQelComments : public TQelDialog {
    Q_OBJECT
public:
    TfrmQelComments(TDialogServices& services, QWidget* parent = nullptr);

    TCommentsLogic& Logic() { return FLogic; }
    const TBannerZoom& Zoom() const { return FZoom; }
    void btnOkClick();
    // One tick of the banner's growth (tmrQelZoom, then each step).
    void tmrQelZoomTimer();

    TAngledLabel* lblCommentsBanner = nullptr;
    QLineEdit* txtComments = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;
    QTimer* tmrQelZoom = nullptr;

protected:
    void FormShow() override;

private:
    TCommentsLogic FLogic;
    TBannerZoom FZoom;
};

} // namespace qel
