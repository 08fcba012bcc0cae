#include "app/AboutDlg.h"

#include "app/DialogTemplates.h"
#include "app/WindowPlacement.h"
#include "app/ProductInfo.h"
#include "app/Resource.h"

namespace tvqx {

CAboutDlg::CAboutDlg(UiBackend& ui) : CDialog(AboutBoxTemplate(), ui) {}

std::string CAboutDlg::ContactText()
{
    using namespace product;
    return std::string(kSupportPhone) + "\n" + kSupportFax + "\n" + "mailto:" + kSupportEmail + "\n" + kWebSite +
           "\n" + kOfficeHours + "\n" + kStreetAddress + "\n" + kPostOfficeBox + "\n" + kTown;
}

BOOL CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    PlaceInUpperQuarter(*this);
    SetWindowText("About Tollvane QX-R Update");
    SetDlgItemText(IDC_ABOUT_PRODUCT, "Tollvane QX-R Firmware Update");
    SetDlgItemText(IDC_ABOUT_VERSION, "Version 2.0.0.38");
    SetDlgItemText(IDC_ABOUT_RELEASED, "Released December 9, 2011");
    SetDlgItemText(IDC_ABOUT_COPYRIGHT, product::kCopyright);
    SetDlgItemText(IDC_ABOUT_NOTE,
                   "This update utility can only be used to update the Tollvane QX-R firmware.\n"
                   "Only for use with RS-232 versions of the Tollvane QX that have a read switch connector.");
    SetDlgItemText(IDC_ABOUT_CONTACT, ContactText());
    return TRUE;
}

} // namespace tvqx
