#include "app/MatrixForm.h"
#include "control/Core.h"

#include "control/Presets.h"
#include "control/Sequencer.h"
#include "link/CommandChannel.h"
#include "ui/SequencingPage.h"

#include <QStatusBar>

namespace kv {

void TMatrixForm::wireSequencer()
{
    auto *page = SequencingTabSheet;
    connect(&m_core->sequencer(), &Sequencer::status, MainStatusBar,
            [this](const QString &text) { MainStatusBar->showMessage(text); });
    // A step is no operator action: the clients hear of it when it is done.
    connect(&m_core->sequencer(), &Sequencer::stepRecalled, this, [this] { tellRemoteClients(); });

    Sequencer *s = &m_core->sequencer();
    connect(page, &SequencingPage::stepToggled, s, &Sequencer::PresetSeqEnableCheckBoxClick);
    connect(page, &SequencingPage::presetEditExit, s, &Sequencer::PresetSeqEditExit);
    connect(page, &SequencingPage::delayEditExit, s, &Sequencer::PresetDelayEditExit);
    connect(page, &SequencingPage::startClicked, s, gated([s] { s->PresetSeqStartButtonClick(); }));
    connect(page, &SequencingPage::stopClicked, s, &Sequencer::PresetSeqStopButtonClick);
}

} // namespace kv
