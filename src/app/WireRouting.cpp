#include "app/MatrixForm.h"

namespace kv {

void TMatrixForm::wireRouting() {}

} // namespace kv
