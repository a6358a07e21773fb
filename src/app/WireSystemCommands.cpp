#include "app/MatrixForm.h"

namespace kv {

void TMatrixForm::wireSystemCommands() {}

} // namespace kv
