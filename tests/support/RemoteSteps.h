#pragma once
// A console read once and serving remote control on a free loopback port, for the remote
// suites.

#include "ConsoleFixture.h"
#include "RouteTestSteps.h"

#include "app/MatrixForm.h"
#include "remote/RemoteServer.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QtTest>

namespace kv::test {

inline std::unique_ptr<ConsoleFixture> Serving(const QString &link = "pty", int model = 10,
                                               EmuProcess::Options options = {})
{
    auto f = Connected(link, options.withModel(model));
    if (!f->error().isEmpty())
        return f;
    f->readAll();
    f->form().remoteServer()->listen(QHostAddress::LocalHost, 0);
    f->clearWire();
    return f;
}

inline quint16 PortOf(ConsoleFixture &f) { return f.form().remoteServer()->port(); }

// For a client in a thread of its own, with blocking waits: connected, the dump read.
inline bool ConnectPastPrelude(QTcpSocket &s, quint16 port)
{
    s.connectToHost(QHostAddress::LocalHost, port);
    if (!s.waitForConnected(5000))
        return false;
    QByteArray got;
    while (!got.contains("END PRELUDE:\n\n") && s.waitForReadyRead(5000))
        got += s.readAll();
    return got.contains("END PRELUDE:\n\n");
}

} // namespace kv::test

#define SERVING(f, ...)                                                                        \
    auto f = Serving(__VA_ARGS__);                                                             \
    QVERIFY2(f->error().isEmpty(), qPrintable(f->error()));                                    \
    QVERIFY(f->form().remoteServer()->isListening())
