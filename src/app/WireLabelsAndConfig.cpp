#include "app/MatrixForm.h"
#include "control/Core.h"

#include "app/LabelFiles.h"
#include "app/WindowHost.h"
#include "control/ConfigActions.h"
#include "control/Labels.h"
#include "ui/LabelingPage.h"

#include <QAction>

namespace kv {

void TMatrixForm::wireLabelsAndConfig()
{
    Labels *labels = &m_core->labels();
    LabelingPage *page = LabelTabSheet;

    connect(page, &LabelingPage::labelExit, &m_core->configActions(),
            [labels](LabelKind kind, int n) { labels->LabelEditExit(kind, n); });
    connect(page, &LabelingPage::resetClicked, &m_core->configActions(),
            [labels](LabelKind kind) { labels->ResetLabelsButtonClick(kind); });

    connect(m_menu.OpenConfigurationFile1, &QAction::triggered, &m_core->configActions(),
            gatedAs([] { return QStringLiteral("configuration file"); },
                    [this] { m_core->configActions().OpenConfigurationFile1Click(); }));
    connect(m_menu.SaveConfigurationtoFile1, &QAction::triggered, &m_core->configActions(),
            [this] { m_core->configActions().SaveConfigurationtoFile1Click(); });

    auto *labelFiles = new LabelFiles(*this, *labels);
    connect(m_menu.ExportLabels1, &QAction::triggered, labelFiles,
            [labelFiles] { labelFiles->ExportLabels1Click(); });
    connect(m_menu.ImportLabels1, &QAction::triggered, labelFiles,
            [labelFiles] { labelFiles->ImportLabels1Click(); });

}

} // namespace kv
