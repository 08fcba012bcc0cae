// The Qt backend drives the program's dialogs: user input becomes messages,
// the model's state becomes what the widgets show, the colour rule is
// applied, and the queue hands out posted messages one at a time.

#include "QtFixture.h"

#include "app/Resource.h"

#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QThread>

namespace tvqx {
namespace {

QColor TextColour(QWidget* w)
{
    return w->palette().color(QPalette::WindowText);
}

// The rule itself is the dialog's; here its look reaches the labels, and a
// change of the waiting flag alone reaches them on a repaint, asked for
// directly or posted.
TEST_F(QtMainWindowTest, ColourRuleReachesTheLabelsOnEveryRepaint)
{
    Open();
    auto* product = Widget<QLabel>(IDC_PRODUCT_LINE);
    auto* result = Widget<QLabel>(IDC_RESULT);
    const QColor darkRed(192, 0, 0);
    EXPECT_EQ(TextColour(product), darkRed);
    EXPECT_TRUE(product->font().bold());
    EXPECT_NE(TextColour(result), darkRed);

    dlg->m_waitingForBootLoader = 1;
    dlg->InvalidateRect(true);
    EXPECT_EQ(TextColour(result), darkRed);
    EXPECT_EQ(result->font(), product->font());

    dlg->m_waitingForBootLoader = 0;
    dlg->PostMessage(WM_PAINT);
    ui.PumpMessage();
    EXPECT_NE(TextColour(result), darkRed);
    EXPECT_EQ(result->font(), Window().font());
}

// Greyed system commands are refused by the dialog itself (proven through
// the Windows system menu); here the menu only has to show the item's state.
TEST_F(QtMainWindowTest, ContextMenuOffersTheAboutItemGreyedWhenTheSystemMenuGreysIt)
{
    Open();
    std::unique_ptr<QMenu> menu = Window().BuildSystemMenuPopup();
    ASSERT_EQ(menu->actions().size(), 1);   // no separator before the first item
    EXPECT_EQ(menu->actions().front()->text(), QStringLiteral("About Tollvane QX-R Update..."));
    EXPECT_EQ(menu->actions().front()->data().toUInt(), IDM_ABOUTBOX);
    EXPECT_TRUE(menu->actions().front()->isEnabled());
    dlg->GetSystemMenu()->EnableMenuItem(IDM_ABOUTBOX, MF_BYCOMMAND | MF_GRAYED);
    EXPECT_FALSE(Window().BuildSystemMenuPopup()->actions().front()->isEnabled());
}

TEST_F(QtMainWindowTest, EscapeAndCloseEndTheWindowOnlyWhileDoneIsEnabledAndEnterDoesNothing)
{
    Open();
    QTest::keyClick(&Window(), Qt::Key_Return);   // no push button focused: IDOK, ignored
    EXPECT_FALSE(dlg->HasEnded());
    dlg->EnableDlgItem(IDCANCEL, false);
    QTest::keyClick(&Window(), Qt::Key_Escape);
    EXPECT_FALSE(Window().close());   // refused: the dialog decides
    EXPECT_FALSE(dlg->HasEnded());
    dlg->EnableDlgItem(IDCANCEL, true);
    Window().close();
    EXPECT_TRUE(dlg->HasEnded());
    EXPECT_EQ(dlg->Result(), IDCANCEL);
}

// The note (the Linux window's access hint) follows a text only when it has one.
TEST(QtMessageBox, TypeGivesTheIconTheTextKeepsItsBlanksAndANoteFollowsIt)
{
    QtBackend ui;
    ui.SetMessageNote([](const std::string& text) { return text == "A     " ? "note" : ""; });
    struct Case {
        UINT type;
        QMessageBox::Icon icon;
        const char* text;
        const char* shown;
    };
    for (const Case& c : {Case{MB_OK, QMessageBox::NoIcon, "Line one.\n\n<b>two</b>     ", "Line one.\n\n<b>two</b>     "},
                          Case{MB_ICONEXCLAMATION, QMessageBox::Warning, "A     ", "A     \n\nnote"},
                          Case{MB_ICONINFORMATION, QMessageBox::Information, "B", "B"}}) {
        ui.interceptMessageBox = [&](QMessageBox& box) {
            EXPECT_EQ(box.icon(), c.icon) << c.type;
            EXPECT_EQ(box.text().toStdString(), c.shown);
            EXPECT_EQ(box.windowTitle(), QStringLiteral("tvqx-update"));
            EXPECT_EQ(box.textFormat(), Qt::PlainText);
            return true;
        };
        EXPECT_EQ(ui.MessageBox(nullptr, c.text, "tvqx-update", c.type), IDOK);
    }
}

// A dialog that records what reaches it.
class Recorder : public CDialog {
public:
    static DialogTemplate Template()
    {
        DialogTemplate t;
        t.cx = 100;
        t.cy = 50;
        t.style = DS_CAPTION | DS_SYSMENU;
        t.controls = {{IDCANCEL, ControlKind::PushButton, "Done", 4, 4, 40, 14, CS_TABSTOP}};
        return t;
    }
    explicit Recorder(UiBackend& ui) : CDialog(Template(), ui)
    {
        OnMessage(WM_USER, [this](WPARAM w, LPARAM) {
            log.push_back("user" + std::to_string(w));
            if (pumpInHandler)
                m_ui.PumpMessage();   // must not take the next message itself
            return LRESULT(0);
        });
        OnMessage(WM_TIMER, [this](WPARAM id, LPARAM) {
            log.push_back("timer" + std::to_string(id));
            KillTimer(id);
            return LRESULT(0);
        });
    }
    std::vector<std::string> log;
    bool pumpInHandler = false;
};

TEST(QtMessageQueue, PumpHandsOutOneMessagePerPassAndNeverFromInsideOne)
{
    QtBackend ui;
    Recorder dlg(ui);
    ui.Create(dlg);
    dlg.pumpInHandler = true;
    for (int i = 1; i <= 3; ++i)
        dlg.PostMessage(WM_USER, static_cast<WPARAM>(i));
    ui.PumpMessage();
    EXPECT_EQ(dlg.log, (std::vector<std::string>{"user1"}));
    ui.PumpMessage();
    EXPECT_EQ(dlg.log, (std::vector<std::string>{"user1", "user2"}));
    ui.Destroy(dlg);
    EXPECT_EQ(dlg.PostMessage(WM_USER, 9), FALSE);   // no window any more
}

// A timer fallen due while a message was posted: the message comes out
// first, as from the platform's own queue, which the window relies on.
TEST(QtMessageQueue, PostedMessageComesBeforeADueTimer)
{
    QtBackend ui;
    Recorder dlg(ui);
    ui.Create(dlg);
    dlg.SetTimer(7, 1);
    QThread::msleep(20);   // due, but no event handled yet
    dlg.PostMessage(WM_USER, 1);
    ui.PumpMessage();
    EXPECT_EQ(dlg.log, (std::vector<std::string>{"user1"}));
    ui.PumpMessage();
    EXPECT_EQ(dlg.log, (std::vector<std::string>{"user1", "timer7"}));
    ui.Destroy(dlg);
}

} // namespace
} // namespace tvqx
