// The operator's clicks over the pty: a route, a Take, and a preset recall by the sequence
// with its RCLOCK commands.

#include "ConsoleBench.h"

#include "app/MatrixForm.h"
#include "control/Core.h"
#include "state/MatrixState.h"
#include "ui/SequencingPage.h"
#include "ui/SwitchingPage.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLineEdit>
#include <QTabWidget>

namespace kv::bench {

void ConsoleBench::measureClicks(int clicks, int recalls)
{
    TMatrixForm &f = *m_form;
    auto *pages = f.findChild<QTabWidget *>("MainPageControl");
    pages->setCurrentWidget(f.findChild<SwitchingPage *>("ControlTabSheet"));
    settle();

    QList<Action> routes, takes;
    for (int i = 0; i < clicks; ++i) {
        // Output 1 to 16 in turn, each to an input other than the one it has.
        const int o = i % 16;
        click(QStringLiteral("OutputButton%1").arg(o + 1));
        const int current = f.core().state().Routes[o].Input;
        const int input = (IsPortIndex(current) ? current + 1 + i / 16 % 15 : i) % 16;
        routes.append(click(QStringLiteral("InputButton%1").arg(input + 1)));
        takes.append(click(QStringLiteral("TakeButton")));
    }
    clickRows(QStringLiteral("route, InputButton"), routes, 1.0);
    clickRows(QStringLiteral("Take, TakeButton"), takes, 1.0);

    // Preset 2 holds the routes just taken and every other reclocker on.
    for (int o = 0; o < 16; o += 2) {
        if (!f.core().state().Reclock[o])
            click(QStringLiteral("ReclockerCheckBox%1").arg(o + 1));
    }
    click(QStringLiteral("PresetsSaveButton"));
    click(QStringLiteral("PresetButton2"));
    pages->setCurrentWidget(f.findChild<SequencingPage *>("SequencingTabSheet"));
    settle();
    f.findChild<QCheckBox *>(QStringLiteral("PresetSeqEnableCheckBox1"))->setChecked(true);
    f.findChild<QLineEdit *>(QStringLiteral("PresetSeqEdit1"))->setText(QStringLiteral("2"));
    QList<Action> recalls_;
    for (int i = 0; i < recalls; ++i) {
        recalls_.append(click(QStringLiteral("PresetSeqStartButton")));
        click(QStringLiteral("PresetSeqStopButton"));
    }
    clickRows(QStringLiteral("preset recall + 16 RCLOCK, PresetSeqStartButton"), recalls_, 1.0);
}

} // namespace kv::bench
