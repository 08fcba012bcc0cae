// The About box's links and focus: a real click on the window opening the
// mail program and the browser through the desktop's URL handlers, and what
// the contact text does not show of the rules.

#include "app/AboutDlg.h"
#include "app/ProductInfo.h"
#include "app/Resource.h"
#include "testsupport/FakePlatform.h"
#include "ui/headless/HeadlessBackend.h"
#include "ui/qt/ControlWidgets.h"
#include "ui/qt/DialogWindow.h"
#include "ui/qt/QtBackend.h"
#include "ui/qt/QtShellOpen.h"

#include <QApplication>
#include <QDesktopServices>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

namespace tvqx {
namespace {

std::string Slice(const std::string& text, const CHARRANGE& r)
{
    return text.substr(static_cast<size_t>(r.cpMin), static_cast<size_t>(r.cpMax - r.cpMin));
}

// The contact text's two links and their targets show in the click below;
// here what it does not hold.
TEST(AboutLinks, DetectionStopsAtSentencePunctuationAndOnlyMailAndWebHaveTargets)
{
    const std::string prose = "Write to mailto:a@b.example, or see www.b.example. Not wwwx.example.";
    const auto found = CAboutDlg::DetectLinks(prose);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(Slice(prose, found[0]), "mailto:a@b.example");
    EXPECT_EQ(Slice(prose, found[1]), "www.b.example");
    EXPECT_EQ(CAboutDlg::LinkTarget("mailto:www.x.example"), "mailto:www.x.example?Subject=Firmware Update");
    EXPECT_EQ(CAboutDlg::LinkTarget("http://x.example"), "");
}

// Catches what the desktop would have opened.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    std::vector<QUrl> urls;
public slots:
    void Open(const QUrl& url) { urls.push_back(url); }
};

// Mail and web addresses reach the desktop as they are (the click below).
TEST(QtShellOpenTarget, WhatHasNoSchemeIsALocalPath)
{
    const QUrl dir = QtShellOpen::UrlFor("/opt/tvqx update/");
    EXPECT_TRUE(dir.isLocalFile());
    EXPECT_EQ(dir.toLocalFile(), QStringLiteral("/opt/tvqx update/"));
}

TEST(QtAboutBox, ClickingTheLinksOpensMailAndWebAndTheFocusStaysOnOk)
{
    UrlCatcher catcher;
    for (const char* scheme : {"mailto", "http", "file"})
        QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &catcher, "Open");
    QtBackend ui;
    QtShellOpen shell;
    CAboutDlg about(ui, shell);
    DialogWindow* window = ui.Create(about);
    QApplication::setActiveWindow(window);
    auto* contact = static_cast<LinkTextEdit*>(window->Control(IDC_ABOUT_CONTACT));
    const auto& links = about.Controls()[9].links;
    ASSERT_EQ(links.size(), 2u);

    auto clickAt = [&](long position) {
        const QPoint at = contact->CharacterRect(position).center();
        QTest::mouseMove(contact->viewport(), at);
        QTest::mouseClick(contact->viewport(), Qt::LeftButton, {}, at);
    };
    clickAt(2);   // the telephone number: plain text
    // Only a left button press opens a link: not passing over it, letting
    // go of the button, or the right button.
    const QPoint onMail = contact->CharacterRect(links[0].cpMin + 3).center();
    QTest::mouseClick(contact->viewport(), Qt::RightButton, {}, onMail);
    EXPECT_TRUE(catcher.urls.empty());
    clickAt(links[0].cpMin + 3);
    clickAt(links[1].cpMin + 3);
    ASSERT_EQ(catcher.urls.size(), 2u);
    EXPECT_EQ(catcher.urls[0].toString(),
              QString::fromStdString(std::string("mailto:") + product::kSupportEmail + "?Subject=Firmware Update"));
    EXPECT_EQ(catcher.urls[1].toString(), QString::fromStdString(std::string("http://") + product::kWebSite));
    EXPECT_EQ(QApplication::focusWidget(), window->Control(IDOK));
    EXPECT_EQ(contact->viewport()->cursor().shape(), Qt::PointingHandCursor);

    ui.Destroy(about);
    for (const char* scheme : {"mailto", "http", "file"})
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
}

} // namespace
} // namespace tvqx

#include "AboutBoxLinksTest.moc"
