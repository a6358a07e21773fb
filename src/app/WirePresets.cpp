#include "app/MatrixForm.h"

namespace kv {

void TMatrixForm::wirePresets() {}

} // namespace kv
