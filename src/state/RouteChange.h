#pragma once
// One change of an output's route, as the route journal records it. Plain data: numbers
// only, never a label (labels change; numbers don't).

#include <QDateTime>
#include <QString>

namespace kv {

struct RouteChange {
    QDateTime time; // local time
    int output = 0; // counts from 1
    int from = 0;   // input counted from 1; 0 = no input
    int to = 0;
    QString state;  // "temporary", "taken" or "withdrawn"
    QString origin; // "operator", "preset N", "sequence step K", "configuration file", ...
};

} // namespace kv
