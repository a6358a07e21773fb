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
    parser.process(arguments);
    return CommandLine{};
}

} // namespace kv
