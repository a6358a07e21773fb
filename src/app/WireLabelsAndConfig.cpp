#include "app/MatrixForm.h"

namespace kv {

void TMatrixForm::wireLabelsAndConfig() {}

} // namespace kv
