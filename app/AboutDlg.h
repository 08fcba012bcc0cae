#pragma once
// The About box: product, version and the maker's support details.

#include "ui/Dialog.h"

#include <string>

namespace tvqx {

class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(UiBackend& ui);
    BOOL OnInitDialog() override;

    // The eight contact lines shown beside their labels.
    static std::string ContactText();
};

} // namespace tvqx
