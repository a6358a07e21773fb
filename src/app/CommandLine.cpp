#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace kv {

CommandLine CommandLine::parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Operator console for Kestavion SDI video matrix switchers."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption follow(
        QStringLiteral("follow"),
        QStringLiteral("Follow the switcher's changes for this run (Tools > Follow Switcher Changes)."));
    parser.addOption(follow);
    parser.process(arguments);
    CommandLine options;
    options.follow = parser.isSet(follow);
    return options;
}

} // namespace kv
