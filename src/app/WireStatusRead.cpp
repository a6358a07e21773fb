#include "app/MatrixForm.h"

namespace kv {

void TMatrixForm::wireStatusRead() {}

} // namespace kv
