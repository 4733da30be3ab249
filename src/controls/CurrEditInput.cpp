// SPDX-License-Identifier: GPL-3.0-or-later
// The numeric edit's handling of the user: keystrokes, paste, focus and painting.

#include "controls/CurrEdit.h"

#include "framework/Application.h"
#include "framework/Exception.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QStyleOptionFrame>
#include <QTimer>
#include <QValidator>

namespace {

// Typing, pasting, dropping, an input method's commit and the selection paste of X11 all end
// in the line control's validation, so the rule for typed text sits here: it holds for every
// way text can enter the edit. Text set by the program is not undone by it.
class TNumTextValidator : public QValidator {
public:
    explicit TNumTextValidator(TCustomNumEdit& edit) : QValidator(&edit), edit_(edit) {}
    State validate(QString& input, int&) const override {
        return edit_.IsAcceptableChange(input) ? Acceptable : Invalid;
    }

private:
    const TCustomNumEdit& edit_;
};

} // namespace

void TCustomNumEdit::InstallInputCheck() {
    setValidator(new TNumTextValidator(*this));
    connect(this, &QLineEdit::inputRejected, this, [this] {
        Guard([this] {
            rejected_ = true;
            Refuse();
            // A refused paste, drop or commit leaves the old text, selected entirely; once
            // the line control has put it back.
            if (!handlingKey_) QTimer::singleShot(0, this, [this] { selectAll(); });
        });
    });
}

bool TCustomNumEdit::IsAcceptableText(const QString& text) const {
    const QString s = Normalized(text);
    const QChar dec = fs_.DecimalSeparator;
    const qsizetype point = s.indexOf(dec);
    if (point >= 0) {
        const qsizetype exp = s.indexOf(QLatin1Char('E'), point, Qt::CaseInsensitive);
        const qsizetype decimals = exp >= 0 ? exp - point : s.size() - point - 1;
        if (decimals > static_cast<qsizetype>(decimalPlaces_)) return false;
    }
    for (const QChar c : s) {
        const bool allowed =
            c == '+' || c == '-' || (c >= '0' && c <= '9') || c == 'E' || c == 'e' || c == dec;
        if (!allowed) return false;
    }
    long double value = 0;
    if (!TextToFloat(s, value, dec)) return false;
    if (minValue_ >= 0 && maxValue_ > 0 && value < 0) return false;
    return true;
}

bool TCustomNumEdit::IsAcceptableChange(const QString& text) const {
    // A deletion leaves the text before it with one stretch taken out.
    const QString& before = shownText_;
    if (text.size() < before.size()) {
        qsizetype same = 0;
        while (same < text.size() && text[same] == before[same])
            ++same;
        qsizetype tail = 0;
        while (same + tail < text.size() &&
               text[text.size() - 1 - tail] == before[before.size() - 1 - tail])
            ++tail;
        if (same + tail == text.size()) return true;
    }
    return IsAcceptableText(text);
}

bool TCustomNumEdit::IsValidChar(QChar key) const {
    QString s = text();
    const int at = hasSelectedText() ? selectionStart() : cursorPosition();
    const auto length = hasSelectedText() ? selectedText().size() : 0;
    s.replace(at, length, key);
    return IsAcceptableText(s);
}

void TCustomNumEdit::Refuse() {
    if (beepOnError_) QApplication::beep();
}

void TCustomNumEdit::keyPressEvent(QKeyEvent* event) {
    handlingKey_ = true;
    Guard([&] {
        const int key = event->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            event->ignore(); // the form's default button may take it; the edit does not
            return;
        }
        if (key == Qt::Key_Escape) {
            // Back to the stored value, and the key goes on to the window, which may have
            // its own use for it.
            RebuildEditText();
            selectAll();
            event->ignore();
            return;
        }
        if (event->matches(QKeySequence::Paste)) {
            Paste();
            return;
        }
        const QString typed = event->text();
        if (typed.size() == 1 && typed[0].unicode() >= 32 && typed[0].unicode() != 127) {
            QChar c = typed[0];
            if (c == '.' || c == ',') c = fs_.DecimalSeparator;
            if (!IsValidChar(c)) {
                Refuse();
                event->accept();
                return;
            }
            if (c != typed[0]) {
                insert(QString(c));
                event->accept();
                return;
            }
        }
        QLineEdit::keyPressEvent(event);
    });
    handlingKey_ = false;
}

void TCustomNumEdit::Paste() {
    rejected_ = false;
    paste();
    if (rejected_) {
        selectAll();
        setFocus();
    }
}

void TCustomNumEdit::contextMenuEvent(QContextMenuEvent* event) {
    Guard([&] {
        QMenu* menu = createStandardContextMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(event->globalPos());
    });
}

void TCustomNumEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    Guard([&] {
        // Back from another window, or taken back after a failed exit: still editing.
        if (focused_) return;
        focused_ = true;
        update();
        RebuildQuietly();
        if (FormatOnEditing()) ReformatEditText();
        if (AutoSelect() && event->reason() != Qt::MouseFocusReason) {
            selectAll();
        } else {
            deselect();
        }
        if (OnEnter) OnEnter(this);
    });
}

void TCustomNumEdit::focusOutEvent(QFocusEvent* event) {
    if (!LeavesTheControl(event) || reportingExit_ || !focused_) {
        QLineEdit::focusOutEvent(event);
        return;
    }
    std::exception_ptr failure;
    try {
        if (checkOnExit_) CheckValue(TextToValue(Normalized(text())), true);
        UpdateValueFromText();
    } catch (...) {
        failure = std::current_exception();
    }
    QLineEdit::focusOutEvent(event);
    if (failure) {
        // The focus comes back once the move away is done; the report follows, once.
        reportingExit_ = true;
        QTimer::singleShot(0, this, [this, failure] {
            setFocus(Qt::OtherFocusReason);
            selectAll();
            TApplication::HandleException(failure);
            reportingExit_ = false;
        });
        return;
    }
    Guard([&] {
        focused_ = false;
        RebuildQuietly();
        setCursorPosition(0);
        update();
        if (OnExit) OnExit(this);
    });
}

void TCustomNumEdit::paintEvent(QPaintEvent* event) {
    if (focused_) {
        QLineEdit::paintEvent(event);
        return;
    }
    Guard([&] {
        QPainter painter(this);
        QStyleOptionFrame frame;
        initStyleOption(&frame);
        style()->drawPrimitive(QStyle::PE_PanelLineEdit, &frame, &painter, this);
        const QRect client = TextArea();
        painter.fillRect(client, Color());
        painter.setFont(font());
        painter.setPen(isEnabled() ? palette().color(QPalette::Text)
                                   : palette().color(QPalette::Disabled, QPalette::Text));
        const QFontMetrics metrics(font());
        const int y = client.top() + (client.height() - metrics.height()) / 2 + metrics.ascent();
        painter.drawText(DisplayTextLeft(), y, DisplayText());
    });
}
