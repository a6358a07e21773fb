#pragma once
// The options for a console that serves control panels from a rack machine: the remote
// control server's port and address, and the answer to the start-up question given in
// advance.

#include <QHostAddress>
#include <QString>

class QCommandLineParser;

namespace kv {

// How long a box waits on an unattended console before it answers itself.
inline constexpr int kUnattendedAnswerMs = 30000;

struct StartUpChoice {
    enum class Answer { Ask, Serial, None, Ethernet };
    Answer answer = Answer::Ask;
    QString address; // Ethernet: the switcher's IP address
};

struct ControlOptions {
    bool serve = false; // --control-port or --control-bind given
    quint16 port = 0;
    QHostAddress bind;
    StartUpChoice startUp;
    // --unattended, or --connect: nobody may be there to answer a box.
    bool unattended = false;

    static void addTo(QCommandLineParser &parser);
    // Empty error when every value given is sound.
    static ControlOptions readFrom(const QCommandLineParser &parser, QString *error);
};

} // namespace kv
