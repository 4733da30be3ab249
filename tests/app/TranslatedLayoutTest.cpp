// SPDX-License-Identifier: GPL-3.0-or-later
// Nothing is cut off in the shipped languages: at the window's and the dialogs' fixed sizes,
// every label, check box and button is as wide and as high as its text needs, lies inside
// its parent, and every menu fits on the screen.
#include "MainWindowFixture.h"
#include "app/About.h"
#include "app/Translations.h"
#include "app/mainFlash.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QToolButton>

namespace {

QString Plain(QString text) {
    return text.remove(QLatin1Char('&'));
}

// The size the widget's text needs, as the widget lays it out.
QSize Needed(const QWidget& w) {
    if (const auto* label = qobject_cast<const QLabel*>(&w)) {
        if (label->wordWrap()) return {0, label->heightForWidth(label->width())};
        return label->sizeHint();
    }
    // A check box's mark may be taller than the box; the text is what must fit.
    if (const auto* box = qobject_cast<const QCheckBox*>(&w))
        return {box->sizeHint().width(), box->fontMetrics().height()};
    const auto* button = qobject_cast<const QAbstractButton*>(&w);
    // Push and tool buttons: the text inside the frame, not the style's minimum width.
    const int margin = 2 * w.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &w);
    const QSize text = w.fontMetrics().size(Qt::TextShowMnemonic, button->text());
    return {text.width() + margin, text.height()};
}

// The texts under root that do not fit, each with what it needs and what it has.
QStringList Clipped(const QWidget& root) {
    QStringList clipped;
    for (const QWidget* w : root.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&root)) continue;
        const auto* label = qobject_cast<const QLabel*>(w);
        const auto* button = qobject_cast<const QAbstractButton*>(w);
        if (!button && !label) continue;
        const QString text = label ? label->text() : button->text();
        if (text.isEmpty() || (label && label->textFormat() == Qt::RichText)) continue;
        const QSize need = Needed(*w);
        const QRect inParent = w->parentWidget()->rect();
        if (need.width() > w->width() || need.height() > w->height() ||
            !inParent.contains(w->geometry()))
            clipped << QStringLiteral("%1 \"%2\": needs %3x%4, has %5x%6 at %7,%8 in %9x%10")
                           .arg(w->objectName(), Plain(text).replace(QLatin1Char('\n'), u'|'))
                           .arg(need.width())
                           .arg(need.height())
                           .arg(w->width())
                           .arg(w->height())
                           .arg(w->x())
                           .arg(w->y())
                           .arg(inParent.width())
                           .arg(inParent.height());
    }
    return clipped;
}

QStringList MenusOffScreen(const QWidget& root) {
    const int screen = QGuiApplication::primaryScreen()->availableGeometry().width();
    QStringList wide;
    for (QMenu* menu : root.findChildren<QMenu*>()) {
        menu->ensurePolished();
        if (menu->sizeHint().width() > screen)
            wide << menu->title() + QStringLiteral(": ") +
                        QString::number(menu->sizeHint().width());
    }
    return wide;
}

class TranslatedLayoutTest : public MainWindowTest,
                             public testing::WithParamInterface<const char*> {
protected:
    void TearDown() override {
        InstallTranslations(QLocale(QStringLiteral("en_US")));
        MainWindowTest::TearDown();
    }
};

TEST_P(TranslatedLayoutTest, NoTextIsCutOff) {
    const QString language = QString::fromLatin1(GetParam());
    EXPECT_EQ(InstallTranslations(QLocale(language)),
              language == QLatin1String("en") ? QString() : language);
    auto form = Open();
    EXPECT_EQ(Clipped(*form).join(u'\n').toStdString(), "") << "controls shown";
    EXPECT_EQ(MenusOffScreen(*form).join(u'\n').toStdString(), "");
    // The flash mark with either verdict, and Stop in place of Start.
    auto* mark = form->findChild<QLabel*>(QStringLiteral("FlashMark"));
    ASSERT_NE(mark, nullptr);
    for (const char* verdict : {"\u25CF Flashing: over", "\u25CF Flashing: below"}) {
        mark->setText(TMainFlash::tr(verdict));
        EXPECT_EQ(Clipped(*form->Panel1).join(u'\n').toStdString(), "") << verdict;
    }
    form->DublButton->setText(TMainForm::tr("Stop"));
    // Hidden, the bottom bar lies over what is left of the controls; its button reads "Show
    // Controls".
    form->ShowButton->click();
    EXPECT_EQ(Clipped(*form->Panel3).join(u'\n').toStdString(), "") << "controls hidden";
    form->ShowButton->click();
    Close(form);

    TAboutBox about;
    EXPECT_EQ(Clipped(about).join(u'\n').toStdString(), "") << "about box";
}

INSTANTIATE_TEST_SUITE_P(ShippedLanguages, TranslatedLayoutTest, testing::Values("en", "de", "ru"));

} // namespace
