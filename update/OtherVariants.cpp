// The radio link variants. This build does not run them yet; they keep
// their places in the dispatch so that they can be filled in without
// touching it.

#include "app/TVQX_UpdateDlg.h"

namespace tvqx {

void CTVQX_UpdateDlg::BeginUpdateVariant3() {}
void CTVQX_UpdateDlg::BeginUpdateVariant6() {}

} // namespace tvqx
