// The numeric edit's handling of the user: keystrokes, paste, focus and painting.

#include "controls/CurrEdit.h"

#include "framework/Application.h"
#include "framework/Exception.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QStyleOptionFrame>
#include <QTimer>

bool TCustomNumEdit::IsValidChar(QChar key) const {
    QString s = text();
    const int at = hasSelectedText() ? selectionStart() : cursorPosition();
    const auto length = hasSelectedText() ? selectedText().size() : 0;
    s.replace(at, length, key);
    s = Normalized(s);
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

void TCustomNumEdit::Refuse() {
    if (beepOnError_) QApplication::beep();
}

void TCustomNumEdit::keyPressEvent(QKeyEvent* event) {
    Guard([&] {
        const int key = event->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            event->ignore(); // the form's default button may take it; the edit does not
            return;
        }
        if (key == Qt::Key_Escape) {
            RebuildEditText();
            selectAll();
            event->accept();
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
}

void TCustomNumEdit::Paste() {
    const QString before = text();
    paste();
    try {
        UpdateValueFromText();
    } catch (const Exception&) {
        setText(before);
        selectAll();
        setFocus();
        Refuse();
    }
}

void TCustomNumEdit::contextMenuEvent(QContextMenuEvent* event) {
    Guard([&] {
        QMenu* menu = createStandardContextMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        // The menu's paste goes through the same check as a pasting key.
        if (auto* action = menu->findChild<QAction*>(QStringLiteral("edit-paste"))) {
            action->disconnect();
            connect(action, &QAction::triggered, this, [this] { Guard([this] { Paste(); }); });
        }
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
