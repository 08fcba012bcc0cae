#pragma once
// The window of one dialog: its controls as widgets at their template
// rectangles, kept in step with the dialog's state, and the user's keys,
// clicks, close requests and context menu handed to the backend.

#include "ui/Dialog.h"
#include "ui/qt/DialogMetrics.h"

#include <QDialog>

#include <memory>
#include <vector>

class QMenu;

namespace tvqx {

class QtBackend;

class DialogWindow final : public QDialog {
public:
    DialogWindow(QtBackend& backend, CDialog& dialog, QWidget* parent);
    ~DialogWindow() override;

    CDialog& Dialog() { return m_dialog; }
    BaseUnits Units() const { return m_units; }
    QSize ClientSize() const { return m_clientSize; }

    // Widget of a control, by template index or by id; null when none.
    QWidget* ControlAt(int index) const;
    QWidget* Control(int id) const;

    void SyncControl(int index);
    void SyncAll();
    // Caption, position (only when the dialog moved it), icons.
    void SyncWindow();
    // Runs every control through the dialog's colour rule and applies what
    // changed; cheap when nothing did.
    void ApplyLooks();
    // Puts the keyboard focus where the dialog has it.
    void SyncFocus();

    // The items a program appended to the system menu, as a context menu;
    // null when it appended none. Actions carry the command in data().
    std::unique_ptr<QMenu> BuildSystemMenuPopup();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The dialog decides when the window goes; Qt's own ways out do nothing.
    void accept() override {}
    void reject() override {}
    void done(int) override {}

private:
    void BuildControls();
    int IndexOfWidget(const QObject* widget) const;
    void SyncRadioTabStops();
    int CommandForEnter() const;

    QtBackend& m_backend;
    CDialog& m_dialog;
    BaseUnits m_units;
    QSize m_clientSize;
    std::vector<QWidget*> m_controls;   // template order
    std::vector<ControlLook> m_looks;   // as last applied
    Point m_appliedPosition;   // where the dialog last put the window
    bool m_applyingLooks = false;
};

} // namespace tvqx
