// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SessionWindow.h"

#include "app/main.h"
#include "app/mainSession.h"
#include "framework/Application.h"
#include "session/SessionFile.h"

#include <QFile>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace {
// Often enough for a cursor that moves a pixel every few seconds of a long session.
constexpr int kFollowMs = 200;

// The title the session's file gives itself, else the file's name.
QString SessionCaption(const std::string& path) {
    const QString name = QString::fromStdString(path);
    std::string title;
    QFile file(name);
    // Only a regular file: a pipe put in the loaded file's place would hold the window.
    if (QFileInfo(name).isFile() && file.open(QIODevice::ReadOnly))
        title = SessionTitle(file.read(4096).toStdString());
    return title.empty() ? QFileInfo(name).fileName() : QString::fromStdString(title);
}
} // namespace

TSessionView::TSessionView(TMainSession& session, QWidget* parent)
    : QWidget(parent), session_(session) {
    setObjectName(QStringLiteral("SessionView"));
    setMinimumSize(320, 160);
    setCursor(Qt::CrossCursor);
    SessionChanged();
}

void TSessionView::SessionChanged() {
    plot_.reset();
    const TSession* session = session_.Session();
    shown_ = session ? std::make_unique<const TSession>(*session) : nullptr;
    if (shown_) plot_ = std::make_unique<TSessionPlot>(*shown_);
    background_ = QImage();
    cursorMs_ = -1;
    update();
    Refresh();
}

void TSessionView::Refresh() {
    const int64_t position = plot_ && session_.Loaded() ? session_.PositionMs() : -1;
    if (position != cursorMs_) {
        cursorMs_ = position;
        update();
    }
}

void TSessionView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!plot_) {
        painter.fillRect(rect(), palette().window());
        return;
    }
    if (background_.size() != size()) background_ = plot_->Render(size());
    painter.drawImage(0, 0, background_);
    if (cursorMs_ >= 0) plot_->DrawCursor(painter, rect(), cursorMs_);
}

void TSessionView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !plot_ || MainState::Running) return;
    if (!plot_->CurveArea(rect()).adjusted(-4, -4, 4, 4).contains(event->position().toPoint()))
        return;
    const int64_t ms = plot_->TimeAt(rect(), event->position().x());
    Guard([this, ms] { session_.Seek(ms); });
    Refresh();
}

void TSessionView::resizeEvent(QResizeEvent*) {
    background_ = QImage();
}

TSessionWindow::TSessionWindow(TMainSession& session, QWidget* owner)
    : QDialog(owner), session_(session), view_(new TSessionView(session, this)) {
    setObjectName(QStringLiteral("SessionWindow"));
    setWindowTitle(TMainForm::tr("Session"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    resize(640, 320);
    follow_.setInterval(kFollowMs);
    connect(&follow_, &QTimer::timeout, this, [this] { Guard([this] { Follow(); }); });
    SessionChanged();
}

void TSessionWindow::SessionChanged() {
    view_->SessionChanged();
    if (session_.Loaded())
        setWindowTitle(TMainForm::tr("Session - %1").arg(SessionCaption(session_.FileName())));
    Follow();
}

void TSessionWindow::Follow() {
    if (!session_.Loaded()) {
        hide();
        return;
    }
    view_->Refresh();
}

void TSessionWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    follow_.start();
    Follow();
}

void TSessionWindow::hideEvent(QHideEvent* event) {
    follow_.stop();
    QDialog::hideEvent(event);
}
