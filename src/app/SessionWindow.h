// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The "Session..." window: the loaded session's picture (SessionPlot.h) with a cursor that
// follows the run. A click while stopped moves the session to the moment under the pointer.
// The window draws from its own copy of the session, taken when it is told that the session
// changed, so a paint between a session's end and the window's next look never reads the
// session that went.

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

    // Takes a copy of the session now loaded (none when none is) and draws it afresh.
    void SessionChanged();
    // Moves the cursor to where the session has come.
    void Refresh();
    // The plot of the session now shown; null when none is loaded.
    const TSessionPlot* Plot() const { return plot_.get(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    TMainSession& session_;
    std::unique_ptr<const TSession> shown_; // what plot_ draws
    std::unique_ptr<TSessionPlot> plot_;
    QImage background_; // everything but the cursor, drawn once per session and size
    int64_t cursorMs_ = -1;
};

class TSessionWindow : public QDialog {
    Q_OBJECT
public:
    TSessionWindow(TMainSession& session, QWidget* owner);
    TSessionView* View() const { return view_; }
    // Called at once when the session is loaded, replaced or ended: the caption takes the new
    // session's title, the view its picture; with none loaded the window goes.
    void SessionChanged();
    // Looks at the session: the cursor follows; with none loaded the window goes.
    void Follow();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    TMainSession& session_;
    TSessionView* view_;
    QTimer follow_;
};
