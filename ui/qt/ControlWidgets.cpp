#include "ui/qt/ControlWidgets.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTextCursor>

#include <algorithm>

namespace tvqx {

namespace {

// Sets a widget's text only when it differs from the one shown: a set text
// repaints the control, and an edit's moves its cursor. True when it was set.
template <typename Widget>
bool UpdateText(Widget* widget, QString (Widget::*get)() const, void (Widget::*set)(const QString&),
                const QString& text)
{
    if ((widget->*get)() == text)
        return false;
    (widget->*set)(text);
    return true;
}

// Character position in the shown text of a byte offset in the program's text.
int TextPosition(const std::string& text, long offset)
{
    const auto n = static_cast<qsizetype>(std::clamp<long>(offset, 0, static_cast<long>(text.size())));
    return static_cast<int>(QString::fromUtf8(text.data(), n).size());
}

UINT MouseMessage(const QEvent& event)
{
    const QEvent::Type type = event.type();
    if (type != QEvent::MouseMove && type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease &&
        type != QEvent::MouseButtonDblClick)
        return 0;
    const auto& mouse = static_cast<const QMouseEvent&>(event);
    const bool right = mouse.button() == Qt::RightButton;
    switch (type) {
    case QEvent::MouseMove:
        return WM_MOUSEMOVE;
    case QEvent::MouseButtonPress:
        return right ? WM_RBUTTONDOWN : mouse.button() == Qt::LeftButton ? WM_LBUTTONDOWN : 0;
    case QEvent::MouseButtonRelease:
        return right ? WM_RBUTTONUP : mouse.button() == Qt::LeftButton ? WM_LBUTTONUP : 0;
    case QEvent::MouseButtonDblClick:
        return right ? WM_RBUTTONDBLCLK : mouse.button() == Qt::LeftButton ? WM_LBUTTONDBLCLK : 0;
    default:
        return 0;
    }
}

QLineEdit* CreateLineEdit(const ControlTemplate& control, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setFrame((control.style & CS_BORDER) != 0);
    edit->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    if (control.style & CS_READONLY) {
        edit->setReadOnly(true);
        // A read-only edit sits on the dialog's face, not on the white of
        // one the user types into; its text can still be selected and copied.
        QPalette p = edit->palette();
        p.setColor(QPalette::Base, p.color(QPalette::Window));
        edit->setPalette(p);
    }
    return edit;
}

} // namespace

void ModelRadioButton::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
        event->ignore();
        return;
    default:
        QRadioButton::keyPressEvent(event);
    }
}

LinkTextEdit::LinkTextEdit(QWidget* parent) : QTextEdit(parent)
{
    setReadOnly(true);
    // The text is only shown: clicks are for the links, and the dialog moves
    // the focus away from here anyway.
    setTextInteractionFlags(Qt::NoTextInteraction);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setContextMenuPolicy(Qt::NoContextMenu);
    setLineWrapMode(QTextEdit::WidgetWidth);
    document()->setDocumentMargin(0);
    // Drawn on the dialog's own face, like the labels beside it.
    viewport()->setAutoFillBackground(false);
    QPalette p = palette();
    p.setColor(QPalette::Base, p.color(QPalette::Window));
    setPalette(p);
    viewport()->setMouseTracking(true);
    viewport()->setCursor(Qt::ArrowCursor);
}

void LinkTextEdit::SetContent(const std::string& text, const std::vector<CHARRANGE>& links)
{
    if (text == m_text && links == m_links && !document()->isEmpty())
        return;
    m_text = text;
    m_links = links;
    setPlainText(QString::fromStdString(text));
    for (size_t i = 0; i < links.size(); ++i) {
        QTextCursor cursor(document());
        cursor.setPosition(TextPosition(text, links[i].cpMin));
        cursor.setPosition(TextPosition(text, links[i].cpMax), QTextCursor::KeepAnchor);
        QTextCharFormat format;
        format.setAnchor(true);
        format.setAnchorHref(QString::number(i));
        format.setForeground(palette().color(QPalette::Link));
        format.setFontUnderline(true);
        cursor.mergeCharFormat(format);
    }
}

const CHARRANGE* LinkTextEdit::LinkAt(const QPoint& viewportPos) const
{
    bool ok = false;
    const int index = anchorAt(viewportPos).toInt(&ok);
    if (!ok || index < 0 || static_cast<size_t>(index) >= m_links.size())
        return nullptr;
    return &m_links[static_cast<size_t>(index)];
}

QRect LinkTextEdit::CharacterRect(long position) const
{
    QTextCursor cursor(document());
    cursor.setPosition(TextPosition(m_text, position));
    cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
    const QRect before = cursorRect(cursor);
    QTextCursor after(document());
    after.setPosition(TextPosition(m_text, position) + 1);
    return before.united(cursorRect(after));
}

bool LinkTextEdit::viewportEvent(QEvent* event)
{
    const UINT msg = MouseMessage(*event);
    if (msg != 0) {
        const QPoint pos = static_cast<QMouseEvent*>(event)->position().toPoint();
        const CHARRANGE* link = LinkAt(pos);
        viewport()->setCursor(link ? Qt::PointingHandCursor : Qt::ArrowCursor);
        if (link && onLinkMouse) {
            const CHARRANGE range = *link;   // the handler may change the content
            onLinkMouse(msg, range);
        }
    }
    return QTextEdit::viewportEvent(event);
}

QString ButtonText(const std::string& text, bool noPrefix)
{
    QString shown = QString::fromStdString(text);
    if (noPrefix)
        shown.replace(QLatin1Char('&'), QLatin1String("&&"));
    return shown;
}

QString StaticText(const std::string& text, bool noPrefix)
{
    QString shown = QString::fromStdString(text);
    if (noPrefix)
        return shown;
    // "&&" is one ampersand; a single one marks the mnemonic and is not shown.
    QString out;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        if (shown[i] == QLatin1Char('&')) {
            if (i + 1 < shown.size() && shown[i + 1] == QLatin1Char('&'))
                out += shown[++i];
            continue;
        }
        out += shown[i];
    }
    return out;
}

QWidget* CreateControlWidget(const ControlTemplate& control, const QRect& pixels, QWidget* parent)
{
    QWidget* widget = nullptr;
    switch (control.kind) {
    case ControlKind::PushButton:
    case ControlKind::DefPushButton: {
        auto* button = new QPushButton(parent);
        // Enter is the dialog's to judge (the focused or default button).
        button->setAutoDefault(false);
        button->setDefault(control.kind == ControlKind::DefPushButton);
        widget = button;
        break;
    }
    case ControlKind::AutoRadioButton: {
        auto* radio = new ModelRadioButton(parent);
        radio->setAutoExclusive(false);
        widget = radio;
        break;
    }
    case ControlKind::GroupBox:
        widget = new QGroupBox(parent);
        widget->setFocusPolicy(Qt::NoFocus);
        break;
    case ControlKind::Static: {
        auto* label = new QLabel(parent);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap((control.style & CS_NOWORDWRAP) == 0);
        label->setAlignment(((control.style & CS_CENTER) ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
        widget = label;
        break;
    }
    case ControlKind::Icon: {
        auto* label = new QLabel(parent);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        widget = label;
        break;
    }
    case ControlKind::RichEdit:
        widget = new LinkTextEdit(parent);
        break;
    case ControlKind::Edit:
        widget = CreateLineEdit(control, parent);
        break;
    }
    widget->setGeometry(pixels);
    if (control.kind == ControlKind::Icon)
        widget->resize(32, 32);   // an icon control takes the icon's size
    if (control.kind != ControlKind::GroupBox && control.kind != ControlKind::Static &&
        control.kind != ControlKind::Icon)
        widget->setFocusPolicy((control.style & CS_TABSTOP) ? Qt::StrongFocus : Qt::ClickFocus);
    else
        widget->setFocusPolicy(Qt::NoFocus);
    return widget;
}

void SyncControlWidget(QWidget* widget, const ControlTemplate& control, const ControlState& state)
{
    const bool noPrefix = (control.style & CS_NOPREFIX) != 0;
    switch (control.kind) {
    case ControlKind::PushButton:
    case ControlKind::DefPushButton:
    case ControlKind::AutoRadioButton: {
        auto* button = static_cast<QAbstractButton*>(widget);
        UpdateText(button, &QAbstractButton::text, &QAbstractButton::setText, ButtonText(state.text, noPrefix));
        if (control.kind == ControlKind::AutoRadioButton && button->isChecked() != state.checked)
            button->setChecked(state.checked);
        break;
    }
    case ControlKind::GroupBox:
        UpdateText(static_cast<QGroupBox*>(widget), &QGroupBox::title, &QGroupBox::setTitle,
                   ButtonText(state.text, noPrefix));
        break;
    case ControlKind::Static:
        UpdateText(static_cast<QLabel*>(widget), &QLabel::text, &QLabel::setText, StaticText(state.text, noPrefix));
        break;
    case ControlKind::Icon:
        break;   // the window puts the icon in
    case ControlKind::RichEdit:
        static_cast<LinkTextEdit*>(widget)->SetContent(state.text, state.links);
        break;
    case ControlKind::Edit: {
        auto* edit = static_cast<QLineEdit*>(widget);
        if (UpdateText(edit, &QLineEdit::text, &QLineEdit::setText, QString::fromStdString(state.text)))
            edit->setCursorPosition(0);   // the start of a long text, as a fresh edit shows it
        break;
    }
    }
    if (widget->isEnabled() != state.enabled)
        widget->setEnabled(state.enabled);
    // Hidden until the window is shown: only the explicit hidden flag counts.
    if (widget->isHidden() == state.visible)
        widget->setVisible(state.visible);
}

} // namespace tvqx
