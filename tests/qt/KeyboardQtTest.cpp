// Real keys on the Qt window: Tab goes round the tab stops in template order
// and reaches the port group through its checked button when COM1 is absent,
// and the arrow keys move the choice among the ports that exist. And the
// About box's labels, which never wrap.

#include "QtFixture.h"

#include "app/AboutDlg.h"

#include <QApplication>
#include <QLabel>
#include <QRadioButton>
#include <QTest>

namespace tvqx {
namespace {

class QtPortKeys : public QtMainWindowTest {
protected:
    QtPortKeys() { inventory.Set(std::vector<PortEntry>{{"COM3", ""}, {"COM5", ""}, {"COM9", ""}}); }

    void Press(Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); }
    QWidget* Focused() const { return QApplication::focusWidget(); }
};

TEST_F(QtPortKeys, TabAndArrowsReachEveryPresentPort)
{
    Open();
    QApplication::setActiveWindow(&Window());
    ASSERT_EQ(Focused(), Widget(IDCANCEL));

    Press(Qt::Key_Tab);
    EXPECT_EQ(Focused(), Widget(IDC_COM3));
    EXPECT_EQ(dlg->GetFocusId(), IDC_COM3);

    struct Step {
        Qt::Key key;
        int port;
    };
    for (const Step& s : {Step{Qt::Key_Right, 5}, Step{Qt::Key_Down, 9}, Step{Qt::Key_Right, 3},
                          Step{Qt::Key_Left, 9}, Step{Qt::Key_Up, 5}}) {
        Press(s.key);
        EXPECT_EQ(Focused(), Widget(2000 + s.port)) << s.port;
        EXPECT_EQ(dlg->GetCheckedRadioButton(IDC_COM1, IDC_COM22), 2000 + s.port);
        EXPECT_TRUE(Widget<QRadioButton>(2000 + s.port)->isChecked());
    }
    // On from the group round the tab stops in template order (the hidden
    // button left out), and back into the group at the port now chosen.
    for (int id : {IDC_CONTACT_INFO, IDC_REFRESH_PORTS, IDC_BEGIN_UPDATE, IDCANCEL, IDC_COM1 + 4}) {
        Press(Qt::Key_Tab);
        EXPECT_EQ(Focused(), Widget(id)) << id;
    }
    Press(Qt::Key_Backtab);
    EXPECT_EQ(Focused(), Widget(IDCANCEL));
}

TEST(QtAboutLabels, OnlyTheLabelColumnNeverWraps)
{
    QtBackend ui;
    RecordingShellOpen shell;
    CAboutDlg about(ui, shell);
    DialogWindow* window = ui.Create(about);
    for (int id : {IDC_ABOUT_LABELS, IDC_ABOUT_NOTE, IDC_ABOUT_VERSION, IDC_ABOUT_COPYRIGHT}) {
        auto* label = qobject_cast<QLabel*>(window->Control(id));
        ASSERT_NE(label, nullptr) << id;
        EXPECT_EQ(label->wordWrap(), id != IDC_ABOUT_LABELS) << id;
    }
    ui.Destroy(about);
}

} // namespace
} // namespace tvqx
