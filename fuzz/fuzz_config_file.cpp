// Opening a configuration file of any bytes: ReadConfigFile on the input as a file (so the
// size check is fuzzed too) and on the input cut or padded to 520 bytes, then every label
// slot loaded and stored back, and the file's routes and groups put through every
// operation as opening a file does.

#include "FuzzConsole.h"

#include "config/ConfigFile.h"

#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstring>

using namespace kv;

namespace {

fuzz::FuzzConsole *g_console = nullptr;
QString g_path;

bool writeFile(const std::uint8_t *data, std::size_t size)
{
    QFile f(g_path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           f.write(reinterpret_cast<const char *>(data), qint64(size)) == qint64(size);
}

void labels(char (*labelSlots)[kLabelSize], int count)
{
    for (int n = 0; n < count; ++n) {
        const QString text = LoadLabel(labelSlots[n]);
        if (text.size() > kLabelSize)
            __builtin_trap();
        char again[kLabelSize];
        std::memcpy(again, labelSlots[n], kLabelSize);
        StoreLabel(again, text);
        if (LoadLabel(again) != text)
            __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzz::InitQt(argc, argv);
    g_console = new fuzz::FuzzConsole;
    // Removed with its folder when the run ends.
    static QTemporaryDir folder;
    g_path = folder.filePath(QStringLiteral("fuzz.kvc"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::FuzzConsole &c = *g_console;
    c.reset();
    MatrixState &s = c.state();

    std::uint8_t padded[sizeof(ConfigRecord)] = {};
    std::memcpy(padded, data, size < sizeof padded ? size : sizeof padded);
    for (const auto &[bytes, length] :
         {std::pair{data, size},
          std::pair{static_cast<const std::uint8_t *>(padded), sizeof padded}}) {
        if (!writeFile(bytes, length))
            return 0;
        const ConfigRecord before = s.Config;
        QString error;
        if (!ReadConfigFile(g_path, s.Config, &error)) {
            if (std::memcmp(&before, &s.Config, sizeof before) != 0 || error.isEmpty())
                __builtin_trap(); // a refused file changes nothing
            continue;
        }
        labels(s.Config.InputLabels, kMaxPorts);
        labels(s.Config.OutputLabels, kMaxPorts);
        labels(s.Config.GroupLabels, kGroupCount);
        labels(s.Config.PresetLabels, kPresetCount);
        s.Groups = s.Config.Groups;
        std::memcpy(s.Routes, s.Config.Routes, sizeof s.Routes);
        c.grouping().ShowGroup(0);
        c.grouping().UpdateGroupExistBoxes();
        for (int o = 0; o < OutputsOf(s); ++o) {
            c.routing().UpdateVideoLabelText(o);
            c.routing().UpdateVideoLabelColour(o);
        }
        c.exercise();
    }
    return 0;
}
