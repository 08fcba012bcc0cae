// The procedures of the other build variants. This build's variant does not
// run them; they keep their places in the dispatch so that the variants can
// be filled in without touching it.

#include "app/TVQX_UpdateDlg.h"

namespace tvqx {

void CTVQX_UpdateDlg::BeginUpdateVariant1() {}
void CTVQX_UpdateDlg::BeginUpdateVariant2() {}
void CTVQX_UpdateDlg::BeginUpdateVariant3() {}
void CTVQX_UpdateDlg::BeginUpdateVariant4() {}
void CTVQX_UpdateDlg::BeginUpdateVariant5() {}
void CTVQX_UpdateDlg::BeginUpdateVariant6() {}
void CTVQX_UpdateDlg::ContinueUpdateVariant4() {}
void CTVQX_UpdateDlg::ContinueUpdateVariant5() {}
void CTVQX_UpdateDlg::SendHexRows() {}

void CTVQX_UpdateDlg::OnTimer(UINT_PTR)
{
    // The wake-up polling and prompt blinking of the waiting variants; with
    // nobody waiting for a boot loader there is nothing to do.
    if (m_waitingForBootLoader != 1)
        return;
}

} // namespace tvqx
