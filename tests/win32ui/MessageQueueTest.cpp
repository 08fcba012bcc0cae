// A dialog the backend has never seen, made from its template alone: its
// posted messages and timers go through the thread's real message queue, one
// message per pump pass, and its message boxes are the system's own.

#include "Win32Fixture.h"

#include "ui/win32/Win32Api.h"

namespace tvqx {
namespace {

constexpr UINT kNote = WM_APP + 7;

class Recorder : public CDialog {
public:
    static DialogTemplate Template()
    {
        DialogTemplate t;
        t.cx = 120;
        t.cy = 60;
        t.fontFace = "MS Shell Dlg";
        t.style = DS_CAPTION | DS_SYSMENU | kTemplateModalFrame | kTemplateSetFont;
        t.controls = {{IDCANCEL, ControlKind::PushButton, "Done", 4, 40, 40, 14, CS_TABSTOP},
                      {10, ControlKind::Static, "A && B", 4, 4, 100, 8, 0}};
        return t;
    }
    explicit Recorder(UiBackend& ui) : CDialog(Template(), ui)
    {
        OnMessage(kNote, [this](WPARAM w, LPARAM l) {
            log.push_back("note" + std::to_string(w));
            return LRESULT(l);
        });
        OnMessage(WM_TIMER, [this](WPARAM id, LPARAM) {
            log.push_back("timer" + std::to_string(id));
            KillTimer(id);
            return LRESULT(0);
        });
    }
    std::vector<std::string> log;
};

TEST(Win32MessageQueue, PostedMessagesAndTimersReachTheDialogOnePerPumpPass)
{
    Win32Backend ui;
    Recorder dlg(ui);
    ASSERT_TRUE(ui.Create(dlg));
    EXPECT_EQ(WindowText(GetDlgItem(ui.WindowOf(dlg), 10)), "A && B");   // static text keeps its own rule
    PumpPending(ui);   // what showing the window queued

    for (int i = 1; i <= 3; ++i)
        EXPECT_TRUE(dlg.PostMessage(kNote, static_cast<WPARAM>(i)));
    EXPECT_TRUE(dlg.log.empty());   // posted, not sent
    EXPECT_TRUE(ui.PumpMessage());
    EXPECT_EQ(dlg.log, std::vector<std::string>{"note1"});
    PumpPending(ui);
    EXPECT_EQ(dlg.log, (std::vector<std::string>{"note1", "note2", "note3"}));
    // A message sent to the window reaches the dialog with its result.
    EXPECT_EQ(SendMessageA(ui.WindowOf(dlg), kNote, 4, 77), 77);

    EXPECT_EQ(dlg.SetTimer(7, 1), 7u);
    EXPECT_TRUE(PumpUntil(ui, [&] { return dlg.log.size() == 5; }));
    EXPECT_EQ(dlg.log.back(), "timer7");
    EXPECT_EQ(dlg.KillTimer(7), FALSE);   // the handler stopped it already
    ui.Destroy(dlg);
    EXPECT_EQ(dlg.PostMessage(kNote, 9), FALSE);   // no window any more
    EXPECT_EQ(dlg.SetTimer(7, 1), 0u);
}

// Answers the message box on screen after noting what it shows.
struct BoxSeen {
    std::string caption, text;
    HICON icon = nullptr;
};
BoxSeen g_seen;

BOOL CALLBACK NoteStatic(HWND child, LPARAM)
{
    char className[16] = {};
    GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, "Static") != 0 || !IsWindowVisible(child))
        return TRUE;
    if ((GetWindowLongPtrA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
        g_seen.icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
    else
        g_seen.text = WindowText(child);
    return TRUE;
}

void CALLBACK AnswerBox(HWND, UINT, UINT_PTR timer, DWORD)
{
    const HWND box = GetActiveWindow();
    char className[16] = {};
    GetClassNameA(box, className, sizeof className);
    if (!box || std::string(className) != "#32770")
        return;
    KillTimer(nullptr, timer);
    g_seen.caption = WindowText(box);
    EnumChildWindows(box, NoteStatic, 0);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

// The type reaches the box: MB_OK alone would show no icon.
TEST(Win32MessageBox, TheSystemsBoxShowsTheCaptionTheTextAndTheIconOfItsType)
{
    Win32Backend ui;
    SetTimer(nullptr, 0, 50, AnswerBox);
    EXPECT_EQ(ui.MessageBox(nullptr, "Unable to open serial port COM3     ", "tvqx-update", MB_ICONEXCLAMATION), IDOK);
    EXPECT_EQ(g_seen.caption, "tvqx-update");
    EXPECT_EQ(g_seen.text, "Unable to open serial port COM3     ");
    EXPECT_NE(g_seen.icon, nullptr);
}

} // namespace
} // namespace tvqx
