// AT^CARDLOCK?: the state of the modem's network lock and the attempts at
// the unlock code that remain. (AT^VERSION? needs no decoder: its two lines
// go into their rows as they stand.)
#include "report/decoders.h"
#include "report/field_walk.h"
#include "report/report_rows.h"

namespace {

// Code 0 has no text of its own and leaves the row empty.
constexpr CodeText kLockStatusCodes[] = {
    {"1", kTextLocked},
    {"2", kTextUnlocked},
    {"3", kTextLockedForever},
};
constexpr CodeTable kLockStatusTable = MakeCodeTable(kLockStatusCodes);

// The attempts are shown as the modem writes them, neither converted nor
// checked against a bound.
constexpr FieldRule kCardLockFields[] = {
    {&kLockStatusTable, kRowLockStatus},
    {nullptr, kRowUnlockAttemptsLeft},
};

}  // namespace

void DecodeCardLockReply() { DecodeReplyFields("^CARDLOCK", kCardLockFields); }
