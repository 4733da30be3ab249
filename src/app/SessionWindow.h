// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The "Session..." window: the loaded session's picture (SessionPlot.h) with a cursor that
// follows the run. A click while stopped moves the session to the moment under the pointer.

#include "run/SessionPlot.h"

#include <QDialog>
#include <QImage>
#include <QTimer>

#include <memory>

class TMainSession;

class TSessionView : public QWidget {
    Q_OBJECT
public:
    TSessionView(TMainSession& session, QWidget* parent);

    // Follows the session: a new or changed one is drawn afresh, the cursor moves on.
    void Refresh();
    // The plot of the session now shown; null when none is loaded.
    const TSessionPlot* Plot() const { return plot_.get(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    TMainSession& session_;
    const TSession* shown_ = nullptr;
    std::unique_ptr<TSessionPlot> plot_;
    QImage background_; // everything but the cursor, drawn once per session and size
    int64_t cursorMs_ = -1;
};

class TSessionWindow : public QDialog {
    Q_OBJECT
public:
    TSessionWindow(TMainSession& session, QWidget* owner);
    TSessionView* View() const { return view_; }
    // Looks at the session: the caption names its file, the view follows; with none loaded
    // the window goes.
    void Follow();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    TMainSession& session_;
    TSessionView* view_;
    QTimer follow_;
};
