// SPDX-License-Identifier: GPL-3.0-or-later
// The window hook: an event filter on the control that hands every event to a handler.

#include "sound/DXSounds.h"

#include <QEvent>
#include <QWidget>

class TControlSubClass::Filter : public QObject {
public:
    explicit Filter(TControlSubClass& owner) : owner_(owner) {}

    bool eventFilter(QObject*, QEvent* event) override {
        // The handler may replace this hook; a copy keeps the call valid until it returns,
        // and nothing of the hook is touched afterwards.
        const THandler handler = owner_.handler_;
        if (handler) handler(event);
        return false;
    }

private:
    TControlSubClass& owner_;
};

TControlSubClass::TControlSubClass(QWidget* control, THandler handler)
    : control_(control), handler_(std::move(handler)), filter_(std::make_unique<Filter>(*this)) {
    if (control_ != nullptr) control_->installEventFilter(filter_.get());
}

TControlSubClass::~TControlSubClass() {
    if (control_ != nullptr) control_->removeEventFilter(filter_.get());
}
