#include "app/AboutDlg.h"

#include "app/DialogTemplates.h"
#include "app/WindowPlacement.h"
#include "app/ProductInfo.h"
#include "app/Resource.h"

#include <algorithm>

namespace tvqx {

namespace {

constexpr const char* kMailSubject = "?Subject=Firmware Update";

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool StartsWithNoCase(const std::string& text, size_t at, const char* prefix)
{
    for (size_t i = 0; prefix[i] != '\0'; ++i) {
        if (at + i >= text.size())
            return false;
        const char a = text[at + i];
        const char b = prefix[i];
        if (a != b && !(a >= 'A' && a <= 'Z' && a - 'A' + 'a' == b))
            return false;
    }
    return true;
}

// Punctuation that ends a sentence is not part of an address written at its end.
bool IsTrailingPunctuation(char c)
{
    return c == '.' || c == ',' || c == ';' || c == ':' || c == '!' || c == '?' || c == ')';
}

} // namespace

CAboutDlg::CAboutDlg(UiBackend& ui, ShellOpen& shell) : CDialog(AboutBoxTemplate(), ui), m_shell(shell)
{
    OnNotify(IDC_ABOUT_CONTACT, EN_LINK, [this](NMHDR* header, LRESULT* result) { OnLinkClicked(header, result); });
    OnControlNotify(IDC_ABOUT_CONTACT, EN_SETFOCUS, [this] { OnContactSetFocus(); });
}

std::string CAboutDlg::ContactText()
{
    using namespace product;
    return std::string(kSupportPhone) + "\n" + kSupportFax + "\n" + "mailto:" + kSupportEmail + "\n" + kWebSite +
           "\n" + kOfficeHours + "\n" + kStreetAddress + "\n" + kPostOfficeBox + "\n" + kTown;
}

std::vector<CHARRANGE> CAboutDlg::DetectLinks(const std::string& text)
{
    std::vector<CHARRANGE> links;
    size_t i = 0;
    while (i < text.size()) {
        if (IsBlank(text[i])) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < text.size() && !IsBlank(text[end]))
            ++end;
        const bool link = StartsWithNoCase(text, i, "mailto:") || StartsWithNoCase(text, i, "www.") ||
                          StartsWithNoCase(text, i, "http://") || StartsWithNoCase(text, i, "https://");
        size_t last = end;
        while (last > i && IsTrailingPunctuation(text[last - 1]))
            --last;
        if (link && last > i)
            links.push_back({static_cast<long>(i), static_cast<long>(last)});
        i = end;
    }
    return links;
}

std::string CAboutDlg::LinkTarget(const std::string& linkText)
{
    if (linkText.find("mailto:") != std::string::npos)
        return linkText + kMailSubject;
    if (linkText.find("www.") != std::string::npos)
        return "http://" + linkText;
    return {};
}

BOOL CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    PlaceInUpperQuarter(*this);
    SetWindowText("About Tollvane QX-R Update");
    SetDlgItemText(IDC_ABOUT_PRODUCT, "Tollvane QX-R Firmware Update");
    SetDlgItemText(IDC_ABOUT_VERSION, std::string("Version ") + product::kVersion);
    SetDlgItemText(IDC_ABOUT_RELEASED, "Released December 9, 2011");
    SetDlgItemText(IDC_ABOUT_COPYRIGHT, product::kCopyright);
    SetDlgItemText(IDC_ABOUT_NOTE,
                   "This update utility can only be used to update the Tollvane QX-R firmware.\n"
                   "Only for use with RS-232 versions of the Tollvane QX that have a read switch connector.");
    const std::string contact = ContactText();
    SetDlgItemText(IDC_ABOUT_CONTACT, contact);
    SetDlgItemLinks(IDC_ABOUT_CONTACT, DetectLinks(contact));
    return TRUE;
}

void CAboutDlg::OnLinkClicked(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    const auto* link = reinterpret_cast<const ENLINK*>(pNMHDR);
    if (link->msg != WM_LBUTTONDOWN)
        return;
    const std::string all = GetDlgItemText(IDC_ABOUT_CONTACT);
    const long size = static_cast<long>(all.size());
    const long first = std::clamp(link->chrg.cpMin, 0L, size);
    const long end = std::clamp(link->chrg.cpMax, first, size);
    const std::string target = LinkTarget(all.substr(static_cast<size_t>(first), static_cast<size_t>(end - first)));
    if (!target.empty())
        m_shell.Open(target);   // a shell that cannot open it reports nothing
}

void CAboutDlg::OnContactSetFocus()
{
    // The contact text never keeps the focus: no caret, no keyboard selection.
    GotoDlgCtrl(IDOK);
}

} // namespace tvqx
