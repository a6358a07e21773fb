#include "app/MatrixForm.h"

#include "control/Presets.h"
#include "control/Sequencer.h"
#include "link/CommandChannel.h"
#include "ui/SequencingPage.h"

namespace kv {

void TMatrixForm::wireSequencer()
{
    auto *page = SequencingTabSheet;
    sequencer = new Sequencer(m_state, *page, m_timeouts.SeqSecondMs, this);
    sequencer->RecallPreset = [this](int p) { presets->RecallPreset(p, false); };
    // Busy covers the guarded handlers and every serial wait; a query or a connection in
    // progress pumps events with its own flags.
    sequencer->ExchangeUnderway = [this] {
        return m_state.Busy != 0 || m_channel->QueryPending != 0 ||
               m_channel->ConnectInProgress != 0;
    };

    Sequencer *s = sequencer;
    connect(page, &SequencingPage::stepToggled, s, &Sequencer::PresetSeqEnableCheckBoxClick);
    connect(page, &SequencingPage::presetEditExit, s, &Sequencer::PresetSeqEditExit);
    connect(page, &SequencingPage::delayEditExit, s, &Sequencer::PresetDelayEditExit);
    connect(page, &SequencingPage::startClicked, s, &Sequencer::PresetSeqStartButtonClick);
    connect(page, &SequencingPage::stopClicked, s, &Sequencer::PresetSeqStopButtonClick);
}

} // namespace kv
