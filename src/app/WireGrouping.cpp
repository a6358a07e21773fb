#include "app/MatrixForm.h"

namespace kv {

void TMatrixForm::wireGrouping() {}

} // namespace kv
