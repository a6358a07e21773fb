#include "app/ControlOptions.h"

#include <QCommandLineParser>

namespace kv {

namespace {
const QString kPort = QStringLiteral("control-port");
const QString kBind = QStringLiteral("control-bind");
const QString kConnect = QStringLiteral("connect");
const QString kUnattended = QStringLiteral("unattended");
} // namespace

void ControlOptions::addTo(QCommandLineParser &parser)
{
    parser.addOption({kPort,
                      QStringLiteral("Serve router control panels on TCP port <port> (9990 "
                                     "unless given; off unless this or --control-bind is given)."),
                      QStringLiteral("port")});
    parser.addOption({kBind,
                      QStringLiteral("Address the control server listens on (default 127.0.0.1: "
                                     "this machine only). The protocol has no password."),
                      QStringLiteral("address")});
    parser.addOption({kConnect,
                      QStringLiteral("Answer the start-up question: serial (Yes), none (No), or "
                                     "ethernet=<address> (No, then connect over Ethernet)."),
                      QStringLiteral("how")});
    parser.addOption(
        {kUnattended, QStringLiteral("Nobody is at this console (implied by --connect): a box "
                                     "answers itself after 30 s with Cancel or No, and says so "
                                     "on standard error.")});
}

ControlOptions ControlOptions::readFrom(const QCommandLineParser &parser, QString *error)
{
    ControlOptions o;
    error->clear();
    o.serve = parser.isSet(kPort) || parser.isSet(kBind);
    o.port = 9990;
    o.bind = QHostAddress(QHostAddress::LocalHost);
    if (parser.isSet(kPort)) {
        bool ok = false;
        const uint port = parser.value(kPort).toUInt(&ok);
        if (!ok || port < 1 || port > 65535) {
            *error =
                QStringLiteral("--control-port: not a port number: %1").arg(parser.value(kPort));
            return o;
        }
        o.port = quint16(port);
    }
    if (parser.isSet(kBind) && !o.bind.setAddress(parser.value(kBind))) {
        *error = QStringLiteral("--control-bind: not an address: %1").arg(parser.value(kBind));
        return o;
    }
    if (parser.isSet(kConnect)) {
        const QString how = parser.value(kConnect);
        if (how == QLatin1String("serial")) {
            o.startUp.answer = StartUpChoice::Answer::Serial;
        } else if (how == QLatin1String("none")) {
            o.startUp.answer = StartUpChoice::Answer::None;
        } else if (how.startsWith(QLatin1String("ethernet=")) && how.size() > 9) {
            o.startUp.answer = StartUpChoice::Answer::Ethernet;
            o.startUp.address = how.mid(9);
        } else {
            *error = QStringLiteral("--connect: expected serial, none or ethernet=ADDRESS, got %1")
                         .arg(how);
        }
    }
    o.unattended = parser.isSet(kUnattended) || o.startUp.answer != StartUpChoice::Answer::Ask;
    return o;
}

} // namespace kv
