// Saving and opening a configuration file from the File menu, beside the bare file I/O.

#include "ConsoleBench.h"

#include "app/MatrixForm.h"
#include "control/Core.h"
#include "config/ConfigFile.h"

#include <QAction>

namespace kv::bench {

namespace {
double MsSince(Clock::time_point t0)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}
} // namespace

void ConsoleBench::measureConfigFile(int runs)
{
    const QString menuFile = m_dir.filePath(QStringLiteral("bench.kvc"));
    const QString bareFile = m_dir.filePath(QStringLiteral("bare.kvc"));
    Samples save, open, bareSave, bareOpen;
    int failed = 0;
    ConfigRecord record = m_form->core().state().Config;
    for (int i = 0; i < runs; ++i) {
        settle();
        m_dialogs.fileName = menuFile;
        m_dialogs.texts.clear();
        auto t0 = Clock::now();
        m_form->menu().SaveConfigurationtoFile1->trigger();
        save.add(MsSince(t0));
        failed += int(!m_dialogs.texts.isEmpty());

        settle();
        m_dialogs.texts.clear();
        t0 = Clock::now();
        m_form->menu().OpenConfigurationFile1->trigger(); // ends with its "successful" box
        settle();
        open.add(MsSince(t0));
        failed += int(m_dialogs.texts.size() != 1 || !m_dialogs.texts[0].contains("successful"));

        t0 = Clock::now();
        failed += int(!WriteConfigFile(bareFile, record, nullptr));
        bareSave.add(MsSince(t0));
        t0 = Clock::now();
        failed += int(!ReadConfigFile(bareFile, record, nullptr));
        bareOpen.add(MsSince(t0));
    }
    const QString of = QStringLiteral(" (median / worst of %1)").arg(runs);
    const QString fails = failed ? QStringLiteral(" (%1 failed)").arg(failed) : QString();
    m_table.add({QStringLiteral("save configuration file, File menu") + of + fails,
                 Ms(save.median()) + QStringLiteral(" / ") + Ms(save.worst()),
                 QStringLiteral("the 520 B write alone (QSaveFile) %1").arg(Ms(bareSave.median())),
                 Signed(save.median() - bareSave.median()), QStringLiteral("reported"), failed == 0,
                 false});
    m_table.add({QStringLiteral("open configuration file, File menu, pages redrawn") + of + fails,
                 Ms(open.median()) + QStringLiteral(" / ") + Ms(open.worst()),
                 QStringLiteral("the 520 B read alone %1").arg(Ms(bareOpen.median())),
                 Signed(open.median() - bareOpen.median()), QStringLiteral("reported"), failed == 0,
                 false});
}

} // namespace kv::bench
