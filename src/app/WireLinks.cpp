#include "app/MatrixForm.h"

namespace kv {

void TMatrixForm::wireLinks() {}

} // namespace kv
