#include "dialogs/QelComments.h"

#include "dialogs/WidgetAdapters.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace qel {

TAngledLabel::TAngledLabel(const QString& text, int angleDegrees, QWidget* parent)
    : QWidget(parent), FText(text), FAngle(angleDegrees) {
    setFixedSize(233, 161);
}

void TAngledLabel::SetPointSize(int size) {
    FPointSize = size;
    update();
}

void TAngledLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont font = this->font();
    font.setPointSize(FPointSize);
    painter.setFont(font);
    painter.setPen(palette().color(QPalette::WindowText));
    // Turned about the middle of the box, so that it grows from the centre.
    const QFontMetricsF metrics(font);
    painter.translate(width() / 2.0, height() / 2.0);
    painter.rotate(-FAngle);
    painter.drawText(QPointF(-metrics.horizontalAdvance(FText) / 2.0, metrics.ascent() / 2.0), FText);
}

TfrmQelComments::TfrmQelComments(TDialogServices& services, QWidget* parent) : TQelDialog(parent), FLogic(services) {
    setObjectName("frmQelComments");
    setWindowTitle(CommentsCaption);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);

    lblCommentsBanner = new TAngledLabel("Qel Comments!", 35, this);
    txtComments = new QLineEdit(this);
    LimitText(txtComments, limits::Comments);
    btnOk = new QPushButton("&Ok", this);
    btnOk->setDefault(true);
    btnCancel = new QPushButton("&Cancel", this);
    tmrQelZoom = new QTimer(this);
    tmrQelZoom->setSingleShot(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblCommentsBanner, 0, Qt::AlignHCenter);
    layout->addWidget(PlainLabel("Please enter your comment...", this));
    layout->addWidget(txtComments);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(btnOk, &QPushButton::clicked, this, &TfrmQelComments::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, [this] { reject(); });
    connect(tmrQelZoom, &QTimer::timeout, this, &TfrmQelComments::tmrQelZoomTimer);
}

void TfrmQelComments::FormShow() {
    txtComments->setText(Q(FLogic.Show()));
    txtComments->selectAll();
    txtComments->setFocus();
    FZoom.Restart();
    lblCommentsBanner->SetPointSize(FZoom.Size());
    tmrQelZoom->start(TBannerZoom::StartDelayMs);
}

void TfrmQelComments::tmrQelZoomTimer() {
    lblCommentsBanner->SetPointSize(FZoom.Step());
    if (FZoom.Running())
        tmrQelZoom->start(TBannerZoom::StepMs);
}

void TfrmQelComments::btnOkClick() {
    FLogic.Ok(S(txtComments->text()));
    accept();
}

} // namespace qel
