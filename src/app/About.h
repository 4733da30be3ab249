// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The about box: the program's name and version, the credits with the photosensitivity
// warning, and three links handed to the desktop's default handler.

#include <QDialog>
#include <QLabel>
#include <QUrl>
#include <functional>

class QFrame;
class QPushButton;

// A label that acts as a link: clicks go to OnClick, shown with a hand cursor.
class TLinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit TLinkLabel(QWidget* parent);
    std::function<void(QObject* sender)> OnClick;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    // The three fixed targets.
    static QUrl WebTarget();
    static QUrl MailTarget1();
    static QUrl MailTarget2();

    // Hands a target to the desktop; the answer is not looked at. Tests replace it.
    std::function<void(const QUrl&)> OpenTarget;

    QFrame* Panel1;
    QLabel* ProductName;
    TLinkLabel* Label1;
    QLabel* Label3;
    TLinkLabel* Label2;
    TLinkLabel* Label4;
    QPushButton* OKButton;

    void Label1Click(QObject* sender);
    void Label2Click(QObject* sender);
    void Label4Click(QObject* sender);
    void OKButtonClick(QObject* sender);

protected:
    void showEvent(QShowEvent* event) override;
};

// The box created at program start; the main window's "About" shows it. Null when none.
TAboutBox* AboutBox();
void SetAboutBox(TAboutBox* box);
