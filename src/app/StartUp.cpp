#include "app/MatrixForm.h"

namespace kv {

// The connection question when the window first shows.
void TMatrixForm::FormShow() { m_state.SuppressCommands = 1; }

// The exit confirmation.
bool TMatrixForm::FormCloseQuery() { return true; }

} // namespace kv
