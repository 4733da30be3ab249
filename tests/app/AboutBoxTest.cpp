// SPDX-License-Identifier: GPL-3.0-or-later
// The about box: links handed to the desktop without closing the box, OK and Enter closing it.
#include "app/About.h"

#include <QFontMetrics>
#include <QFrame>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
struct AboutBoxTest : testing::Test {
    TAboutBox box;
    std::vector<QUrl> opened;
    void SetUp() override {
        box.OpenTarget = [this](const QUrl& url) { opened.push_back(url); };
    }
};
} // namespace

TEST_F(AboutBoxTest, LinksOpenTheirTargetsAndLeaveTheBoxOpen) {
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    QTest::mouseClick(box.Label1, Qt::LeftButton);
    QTest::mouseClick(box.Label2, Qt::LeftButton);
    QTest::mouseClick(box.Label4, Qt::LeftButton);
    ASSERT_EQ(opened.size(), 3u);
    EXPECT_EQ(opened[0], TAboutBox::WebTarget());
    EXPECT_EQ(opened[1].scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(opened[2].scheme(), QStringLiteral("mailto"));
    EXPECT_NE(opened[1], opened[2]);
    // Each link shows the target it opens.
    EXPECT_TRUE(opened[0].toString().contains(box.Label1->text()));
    EXPECT_EQ(opened[1].path(), box.Label2->text());
    EXPECT_EQ(opened[2].path(), box.Label4->text());
    EXPECT_TRUE(box.isVisible());
    // A right click is no click on a link.
    QTest::mouseClick(box.Label1, Qt::RightButton);
    EXPECT_EQ(opened.size(), 3u);
}

TEST_F(AboutBoxTest, OkAndEnterAndTheCloseButtonEndTheModalLoop) {
    QTimer::singleShot(0, &box, [this] { QTest::mouseClick(box.OKButton, Qt::LeftButton); });
    EXPECT_EQ(box.exec(), QDialog::Accepted);
    EXPECT_FALSE(box.isVisible());

    QTimer::singleShot(0, &box, [this] { QTest::keyClick(&box, Qt::Key_Return); });
    EXPECT_EQ(box.exec(), QDialog::Accepted);

    QTimer::singleShot(0, &box, [this] { box.close(); });
    EXPECT_EQ(box.exec(), QDialog::Rejected);
    EXPECT_TRUE(opened.empty());
}

TEST_F(AboutBoxTest, NamesTheProgramAndWarnsOfFlashingLight) {
    EXPECT_EQ(box.windowTitle(), QStringLiteral("About Velmora"));
    EXPECT_EQ(box.size(), QSize(298, 213));
    const QStringList lines = box.ProductName->text().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[0], QStringLiteral("Velmora Beta 2.4"));
    EXPECT_TRUE(lines[4].isEmpty());
    EXPECT_EQ(lines[5], QStringLiteral("Wisit our homepage"));
    EXPECT_TRUE(box.ProductName->text().contains(QStringLiteral("seizures")));
    // Every line fits the label, and every link the panel.
    const QFontMetrics metrics(box.ProductName->font());
    for (const QString& line : lines)
        EXPECT_LE(metrics.horizontalAdvance(line), box.ProductName->width()) << line.toStdString();
    for (const QLabel* link : {static_cast<QLabel*>(box.Label1), static_cast<QLabel*>(box.Label2),
                               static_cast<QLabel*>(box.Label4)}) {
        const QFontMetrics linkMetrics(link->font());
        EXPECT_LE(linkMetrics.horizontalAdvance(link->text()), box.Panel1->width() - 8);
        EXPECT_LE(link->geometry().right(), box.Panel1->width());
    }
    EXPECT_TRUE(box.OKButton->isDefault());
}
