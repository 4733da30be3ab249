// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/About.h"

#include "app/AppFont.h"
#include "app/ProgramTitle.h"
#include "framework/Application.h"
#include "platform/Shell.h"

#include <QFrame>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>

namespace {
const QColor kNavy(0, 0, 128);

TAboutBox* g_aboutBox = nullptr;

void MakeLink(QLabel* label) {
    QFont font = ProgramBoldFont();
    font.setUnderline(true);
    label->setFont(font);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, kNavy);
    label->setPalette(pal);
    label->setCursor(Qt::PointingHandCursor);
}
} // namespace

TLinkLabel::TLinkLabel(QWidget* parent) : QLabel(parent) {}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
        OnClick) {
        Guard([&] { OnClick(this); });
    }
}

QUrl TAboutBox::WebTarget() {
    return QUrl(QStringLiteral("https://velmora.example.org/"));
}
QUrl TAboutBox::MailTarget1() {
    return QUrl(QStringLiteral("mailto:team@velmora.example.org"));
}
QUrl TAboutBox::MailTarget2() {
    return QUrl(QStringLiteral("mailto:support@velmora.example.org"));
}

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(tr("About Velmora"));
    setModal(true);
    setFont(ProgramFont());
    // Dialog border: fixed size, no minimize or maximize button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(298, 213);

    OpenTarget = [](const QUrl& url) { OpenWithDefaultHandler(url); };

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(2);
    Panel1->setGeometry(8, 8, 281, 161);
    Panel1->setFont(ProgramBoldFont());

    ProductName = new QLabel(Panel1);
    ProductName->setObjectName(QStringLiteral("ProductName"));
    ProductName->setGeometry(40, 8, 207, 78);
    ProductName->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    ProductName->setText(ProgramTitle() + QLatin1Char('\n') +
                         tr("Made by the Velmora team\n"
                            "Caution: flashing light may cause\n"
                            "seizures. Esc stops it at once\n"
                            "\n"
                            "Wisit our homepage"));

    Label1 = new TLinkLabel(Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setText(QStringLiteral("velmora.example.org"));
    MakeLink(Label1);
    Label1->setGeometry(69, 85, 145, 13);
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label1->OnClick = [this](QObject* s) { Label1Click(s); };

    Label3 = new QLabel(tr("Mail us:"), Panel1);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->move(120, 104);
    Label3->adjustSize();

    Label2 = new TLinkLabel(Panel1);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setText(MailTarget1().path());
    MakeLink(Label2);
    Label2->adjustSize();
    Label2->move((281 - Label2->width()) / 2, 120);
    Label2->OnClick = [this](QObject* s) { Label2Click(s); };

    Label4 = new TLinkLabel(Panel1);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setText(MailTarget2().path());
    MakeLink(Label4);
    Label4->adjustSize();
    Label4->move((281 - Label4->width()) / 2, 136);
    Label4->OnClick = [this](QObject* s) { Label4Click(s); };

    OKButton = new QPushButton(tr("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(111, 180, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this,
            [this] { Guard([&] { OKButtonClick(OKButton); }); });
}

void TAboutBox::showEvent(QShowEvent* event) {
    // Centred on the screen each time it is shown.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
    }
    QDialog::showEvent(event);
}

void TAboutBox::Label1Click(QObject*) {
    OpenTarget(WebTarget());
}
void TAboutBox::Label2Click(QObject*) {
    OpenTarget(MailTarget1());
}
void TAboutBox::Label4Click(QObject*) {
    OpenTarget(MailTarget2());
}

// The button's modal result alone ends the modal loop.
void TAboutBox::OKButtonClick(QObject*) {
    accept();
}

TAboutBox* AboutBox() {
    return g_aboutBox;
}
void SetAboutBox(TAboutBox* box) {
    g_aboutBox = box;
}
