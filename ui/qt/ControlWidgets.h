#pragma once
// One widget per kind of dialog control, built from its template and brought
// up to date from its state. The widgets show what the dialog holds; they
// never change a state on their own (a radio button does not check itself,
// the dialog's model does).

#include "ui/Dialog.h"

#include <QRadioButton>
#include <QTextEdit>

#include <functional>

namespace tvqx {

// An automatic radio button whose check mark only the model sets.
class ModelRadioButton final : public QRadioButton {
public:
    using QRadioButton::QRadioButton;

protected:
    void nextCheckState() override {}
    // Arrow keys go on to the dialog's window, which moves within the group
    // by the dialog's rules; the button's own would walk the Tab chain.
    void keyPressEvent(QKeyEvent* event) override;
};

// The read-only rich text control: plain text with link ranges drawn as
// links, and the mouse's doings on a link reported with the link's range.
class LinkTextEdit final : public QTextEdit {
public:
    explicit LinkTextEdit(QWidget* parent);

    void SetContent(const std::string& text, const std::vector<CHARRANGE>& links);
    // The link under a viewport point, if any.
    const CHARRANGE* LinkAt(const QPoint& viewportPos) const;
    // Where a link's character is drawn, in viewport coordinates.
    QRect CharacterRect(long position) const;

    // msg is WM_MOUSEMOVE, WM_LBUTTONDOWN, ... for a mouse action on a link.
    std::function<void(UINT msg, const CHARRANGE& link)> onLinkMouse;

protected:
    bool viewportEvent(QEvent* event) override;

private:
    std::string m_text;
    std::vector<CHARRANGE> m_links;
};

// The text a control shows: Windows takes '&' as a mnemonic marker in
// buttons, group boxes and statics unless told not to; Qt does in buttons
// and group boxes only.
QString ButtonText(const std::string& text, bool noPrefix);
QString StaticText(const std::string& text, bool noPrefix);

// A widget for the control, placed at its pixel rectangle.
QWidget* CreateControlWidget(const ControlTemplate& control, const QRect& pixels, QWidget* parent);

// Brings the widget up to the control's state.
void SyncControlWidget(QWidget* widget, const ControlTemplate& control, const ControlState& state);

} // namespace tvqx
