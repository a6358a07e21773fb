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
    // A step never runs inside an exchange or a guarded handler: it waits for both to end.
    sequencer->ExchangeUnderway = [this] {
        return m_state.Busy != 0 || m_channel->exchangeInProgress();
    };

    Sequencer *s = sequencer;
    connect(page, &SequencingPage::stepToggled, s, &Sequencer::PresetSeqEnableCheckBoxClick);
    connect(page, &SequencingPage::presetEditExit, s, &Sequencer::PresetSeqEditExit);
    connect(page, &SequencingPage::delayEditExit, s, &Sequencer::PresetDelayEditExit);
    connect(page, &SequencingPage::startClicked, s, gated([s] { s->PresetSeqStartButtonClick(); }));
    connect(page, &SequencingPage::stopClicked, s, &Sequencer::PresetSeqStopButtonClick);
}

} // namespace kv
