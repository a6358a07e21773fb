#pragma once
// Faults the emulator injects into its answers, so that tests can show how the console copes
// with a switcher that misbehaves. A fault changes only the answer: the command itself is
// logged and carried out as usual.
//
// Syntax: KIND[:KEYWORD][=VALUE][@COUNT]
//   KEYWORD  the fault hits lines equal to KEYWORD or starting with KEYWORD and a blank
//            ("RTEMP", "PINFOKV 3"); "CR" is the empty line; absent = every line
//   VALUE    the kind's parameter (see FaultHelp)
//   COUNT    the fault hits the next COUNT matching lines and is then gone; absent = for ever
//            (drop: absent = 1, and drop=N means drop@N)

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace kv::emu {

enum class FaultKind {
    Silence,  // no answer at all
    Delay,    // =MS before the answer starts
    Drop,     // no answer, for the next COUNT lines
    Garbage,  // =LEN random bytes, never "#", instead of the answer (default 16)
    Bytewise, // =GAP ms between bytes (default 2)
    Cut,      // =K only the first K bytes (default half)
    Close,    // =K the first K bytes (default half), then the TCP connection is closed
    Oversize, // =N filler bytes before the terminator (default 12000)
    Hash,     // =POS payload byte POS is "#" (default the middle)
    CrlfHash, // =POS payload bytes POS-2..POS are CR LF "#" (default the last payload byte)
    Marker,   // =POS start marker at reply position POS, 0-40 (default reply: 2)
    NoCrlf,   // the answer ends in "#" without CR LF before it
    Burst,    // the answer is held back and goes out together with the next one
    Range,    // status blocks carry values out of their ranges
    Model,    // =CODE the system status reports this model code, 0-255
};

struct Fault {
    FaultKind kind = FaultKind::Silence;
    QByteArray keyword; // empty: every line
    int value = -1;     // -1: the kind's default
    int count = -1;     // -1: unlimited

    bool matches(const QByteArray &line) const;
};

// nullopt and a reason for a fault text that does not parse.
std::optional<Fault> ParseFault(const QString &text, QString *error = nullptr);
QString FaultName(FaultKind kind);
QString FaultText(const Fault &f); // back to the syntax above
QString FaultHelp();

class FaultSet {
public:
    void add(const Fault &f) { m_faults.append(f); }
    void clear() { m_faults.clear(); }
    bool isEmpty() const { return m_faults.isEmpty(); }
    const QList<Fault> &all() const { return m_faults; }

    // The faults that hit this line; counted ones are used up.
    QList<Fault> takeFor(const QByteArray &line);

private:
    QList<Fault> m_faults;
};

} // namespace kv::emu
