#pragma once
// The About box: product, version and the maker's support details, with the
// e-mail and web addresses as links that open the user's mail program and
// browser.

#include "platform/ShellOpen.h"
#include "ui/Dialog.h"

#include <string>
#include <vector>

namespace tvqx {

class CAboutDlg : public CDialog {
public:
    CAboutDlg(UiBackend& ui, ShellOpen& shell);
    BOOL OnInitDialog() override;

    // EN_LINK of the contact text: a left click on a link opens it.
    void OnLinkClicked(NMHDR* pNMHDR, LRESULT* pResult);
    // EN_SETFOCUS of the contact text: the focus goes on to OK at once.
    void OnContactSetFocus();

    // The eight contact lines shown beside their labels.
    static std::string ContactText();
    // The links in a text, as automatic URL detection finds them: every run of
    // non-blank characters that starts with "mailto:", "www.", "http://" or
    // "https://".
    static std::vector<CHARRANGE> DetectLinks(const std::string& text);
    // What a click on a link with this text opens; empty when nothing.
    static std::string LinkTarget(const std::string& linkText);

private:
    ShellOpen& m_shell;
};

} // namespace tvqx
