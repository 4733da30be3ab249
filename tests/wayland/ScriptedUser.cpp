// SPDX-License-Identifier: GPL-3.0-or-later
// A user at a compositor without input devices: a Qt input plugin that the test loads into the
// real program. It waits for the main window, points at Start and away, clicks it, sees the
// picture change, presses on it and lets go elsewhere, stops the run with Esc, and closes the
// window as its close button does. Every step reports on standard error.
#include <QApplication>
#include <QGenericPlugin>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

class ScriptedUser : public QObject {
public:
    ScriptedUser() {
        // Each step runs once the one before it has finished and the delay has passed.
        Then(0, [this] { return WaitForWindow(); });
        Then(500, [this] {
            rest_ = Look(start_);
            Move(Centre(start_));
            return true;
        });
        Then(200, [this] {
            Check(Look(start_) != rest_, "the pointer over Start shows its hover picture");
            Move(QPoint(5, 5));
            return true;
        });
        Then(200, [this] {
            Check(Look(start_) == rest_, "leaving Start shows it at rest");
            Move(Centre(start_));
            Mouse(QEvent::MouseButtonPress, Centre(start_), Qt::LeftButton);
            return true;
        });
        Then(100, [this] {
            Mouse(QEvent::MouseButtonRelease, Centre(start_), Qt::LeftButton);
            return true;
        });
        Then(300, [this] { return Picture(before_); });
        Then(700, [this] {
            Check(Picture(after_) && after_ != before_, "a click on Start starts the run");
            // Pressed on the button, let go elsewhere: no click, the run goes on.
            Mouse(QEvent::MouseButtonPress, Centre(start_), Qt::LeftButton);
            return true;
        });
        Then(100, [this] {
            Move(QPoint(5, 5), Qt::LeftButton);
            return true;
        });
        Then(100, [this] {
            Mouse(QEvent::MouseButtonRelease, QPoint(5, 5), Qt::LeftButton);
            return Picture(before_);
        });
        Then(700, [this] {
            Check(Picture(after_) && after_ != before_, "a release away from Start is no click");
            Key(Qt::Key_Escape);
            return true;
        });
        Then(300, [this] { return Picture(before_); });
        Then(700, [this] {
            Check(Picture(after_) && after_ == before_, "Esc stops the run");
            Say("closing the window");
            main_->close();
            return true;
        });
        QTimer::singleShot(0, this, [this] { Run(); });
    }

private:
    struct Step {
        int delayMs;
        std::function<bool()> act; // false: try again shortly
    };

    void Then(int delayMs, std::function<bool()> act) { steps_.push_back({delayMs, act}); }

    void Run() {
        if (next_ == steps_.size()) return;
        if (steps_[next_].act()) {
            ++next_;
            if (next_ < steps_.size())
                QTimer::singleShot(steps_[next_].delayMs, this, [this] { Run(); });
        } else {
            QTimer::singleShot(100, this, [this] { Run(); });
        }
    }

    bool WaitForWindow() {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("MainForm") && w->isVisible() &&
                w->windowHandle() && w->windowHandle()->isExposed())
                main_ = w;
        if (!main_) return false;
        start_ = main_->findChild<QWidget*>(QStringLiteral("Start"));
        paintBox_ = main_->findChild<QWidget*>(QStringLiteral("PaintBox1"));
        Say(qPrintable(
            QStringLiteral("the window is up on %1").arg(QGuiApplication::platformName())));
        if (!start_ || !paintBox_) {
            Check(false, "the window has its Start button and its picture");
            main_->close();
            steps_.resize(next_ + 1);
        }
        return true;
    }

    static QImage Look(QWidget* w) { return w->grab().toImage(); }
    bool Picture(QImage& into) {
        into = Look(paintBox_);
        return true;
    }
    QPoint Centre(QWidget* w) const { return w->mapTo(main_, w->rect().center()); }

    void Mouse(QEvent::Type type, QPoint at, Qt::MouseButton button,
               Qt::MouseButtons held = Qt::NoButton) {
        const Qt::MouseButtons buttons =
            type == QEvent::MouseButtonPress ? held | button : held & ~Qt::MouseButtons(button);
        QMouseEvent event(type, at, at, main_->mapToGlobal(at), button, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(main_->windowHandle(), &event);
    }
    void Move(QPoint at, Qt::MouseButtons held = Qt::NoButton) {
        QMouseEvent event(QEvent::MouseMove, at, at, main_->mapToGlobal(at), Qt::NoButton, held,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(main_->windowHandle(), &event);
    }
    void Key(int key) {
        for (const auto type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent event(type, key, Qt::NoModifier);
            QCoreApplication::sendEvent(main_->windowHandle(), &event);
        }
    }

    static void Say(const char* text) { std::fprintf(stderr, "scripted user: %s\n", text); }
    static void Check(bool ok, const char* what) {
        std::fprintf(stderr, "scripted user: %s %s\n", ok ? "saw that" : "FAILED:", what);
    }

    std::vector<Step> steps_;
    size_t next_ = 0;
    QWidget* main_ = nullptr;
    QWidget* start_ = nullptr;
    QWidget* paintBox_ = nullptr;
    QImage rest_, before_, after_;
};

} // namespace

class ScriptedUserPlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "scripted_user.json")

public:
    QObject* create(const QString&, const QString&) override { return new ScriptedUser; }
};

#include "ScriptedUser.moc"
