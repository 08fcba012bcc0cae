#include "app/TVQX_UpdateApp.h"

#include "app/TVQX_UpdateDlg.h"

namespace tvqx {

BOOL CTVQX_UpdateApp::InitInstance()
{
    CTVQX_UpdateDlg dlg(m_services);
    dlg.m_programDir = m_programDir;
    dlg.m_tempDir = m_tempDir;
    dlg.DoModal();
    return FALSE;
}

} // namespace tvqx
