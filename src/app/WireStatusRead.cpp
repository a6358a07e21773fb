#include "app/MatrixForm.h"
#include "control/Core.h"

#include "app/WindowHost.h"
#include "control/StatusRead.h"
#include "ui/SwitchingPage.h"

#include <QAction>

namespace kv {

void TMatrixForm::wireStatusRead()
{
    StatusRead *read = &m_core->statusRead();
    connect(m_menu.ReadfromKestavions1, &QAction::triggered, this,
            gated([read] { read->ReadfromKestavions1Click(); }));
    connect(ControlTabSheet, &SwitchingPage::updateStatusClicked, this,
            gated([read] { read->ReadfromKestavions1Click(); }));
}

} // namespace kv
