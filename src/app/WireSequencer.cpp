#include "app/MatrixForm.h"

namespace kv {

void TMatrixForm::wireSequencer() {}

} // namespace kv
