// The About box's links and focus: the rules themselves on the headless
// backend, then a real click on the window opening the mail program and
// the browser through the desktop's URL handlers.

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

TEST(AboutLinks, DetectionFindsTheMailAndWebLinesOnlyAndEachOpensItsTarget)
{
    const std::string text = CAboutDlg::ContactText();
    const auto links = CAboutDlg::DetectLinks(text);
    ASSERT_EQ(links.size(), 2u);
    EXPECT_EQ(Slice(text, links[0]), std::string("mailto:") + product::kSupportEmail);
    EXPECT_EQ(Slice(text, links[1]), product::kWebSite);

    // Within running text: sentence punctuation after an address is not part of it.
    const std::string prose = "Write to mailto:a@b.example, or see www.b.example. Not wwwx.example.";
    const auto found = CAboutDlg::DetectLinks(prose);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(Slice(prose, found[0]), "mailto:a@b.example");
    EXPECT_EQ(Slice(prose, found[1]), "www.b.example");

    for (const auto& [link, target] : std::initializer_list<std::pair<const char*, const char*>>{
             {"mailto:help@x.example", "mailto:help@x.example?Subject=Firmware Update"},
             {"www.x.example", "http://www.x.example"},
             {"mailto:www.x.example", "mailto:www.x.example?Subject=Firmware Update"},
             {"http://x.example", ""}})
        EXPECT_EQ(CAboutDlg::LinkTarget(link), target) << link;
}

class HeadlessAbout : public ::testing::Test {
protected:
    HeadlessAbout() { ui.Create(about); }
    ~HeadlessAbout() override { ui.Destroy(about); }

    LRESULT Mouse(UINT msg, const CHARRANGE& range)
    {
        ENLINK link;
        link.nmhdr = {0, static_cast<UINT_PTR>(IDC_ABOUT_CONTACT), EN_LINK};
        link.msg = msg;
        link.chrg = range;
        return about.SendMessage(WM_NOTIFY, IDC_ABOUT_CONTACT, reinterpret_cast<LPARAM>(&link));
    }

    VirtualTickClock clock;
    HeadlessBackend ui{clock};
    RecordingShellOpen shell;
    CAboutDlg about{ui, shell};
};

TEST_F(HeadlessAbout, OnlyALeftButtonPressOnALinkOpensIt)
{
    const auto& links = about.Controls()[9].links;   // the contact control
    ASSERT_EQ(links.size(), 2u);
    for (UINT msg : {WM_MOUSEMOVE, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_LBUTTONDBLCLK})
        EXPECT_EQ(Mouse(msg, links[0]), 0);
    EXPECT_TRUE(shell.opened.empty());
    Mouse(WM_LBUTTONDOWN, links[0]);
    Mouse(WM_LBUTTONDOWN, links[1]);
    Mouse(WM_LBUTTONDOWN, {0, 5});   // the telephone number: not a link target
    EXPECT_EQ(shell.opened, (std::vector<std::string>{std::string("mailto:") + product::kSupportEmail +
                                                          "?Subject=Firmware Update",
                                                      std::string("http://") + product::kWebSite}));
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
