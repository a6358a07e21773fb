#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

namespace kv {

CommandLine CommandLine::parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Operator console for Kestavion SDI video matrix switchers."));
    parser.addHelpOption();
    parser.addVersionOption();
    ControlOptions::addTo(parser);
    const QCommandLineOption follow(
        QStringLiteral("follow"),
        QStringLiteral(
            "Follow the switcher's changes for this run (Tools > Follow Switcher Changes)."));
    parser.addOption(follow);
    parser.process(arguments);
    CommandLine options;
    options.follow = parser.isSet(follow);
    QString error;
    options.control = ControlOptions::readFrom(parser, &error);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        std::exit(1);
    }
    return options;
}

} // namespace kv
