#pragma once

#include "records/UiPorts.h"

class QWidget;

namespace qel {

// Message boxes shown with QMessageBox, titled "Qel". The text is always
// shown as plain text: it may carry names and comments from the shared folder.
class TQtMessageBoxes : public IMessageBoxes {
public:
    // `parent` (may be null) centres the boxes; it is not owned.
    explicit TQtMessageBoxes(QWidget* parent = nullptr) : FParent(parent) {}
    void SetParent(QWidget* parent) { FParent = parent; }

    TBoxAnswer Show(TBoxKind kind, const std::string& text, TBoxButtons buttons) override;

private:
    QWidget* FParent;
};

} // namespace qel
