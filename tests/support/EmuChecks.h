#pragma once
// Readable forms of the switcher's blocks for test messages and comparisons.

#include "state/MatrixState.h"

#include <QString>

namespace kv::test {

// The group table in kvemu's own summary notation: "G:oOUT.OUT/iIN.IN,..." (numbers from 1),
// or "-" when no group has a member.
QString GroupsText(const GroupTable &t);

// The member counts of every group agree with the memberships they count. Empty when they
// do, else the first group whose counts do not.
QString GroupCountsFault(const GroupTable &t);

// What the console relies on in every group table the switcher sends: counts that match the
// memberships, an input in one group at most, no inputs in a group without outputs, group
// bytes 0-7 or UNASSIGNED, spare bytes 0. Empty when all of it holds, else the first fault.
QString GroupTableFault(const GroupTable &t);

} // namespace kv::test
