// The vendor's sticks on router firmware as entries of the modem lists:
// "MODEL (ADDRESS)", after the entries of the modems that answered AT
// commands. The address is the gateway the system gives the stick's
// network adapter; making an entry contacts nothing.
#pragma once

#include <cstddef>

#include "sticks/stick_devices.h"

// The entry of a stick in router mode with a gateway: the model from its
// USB product ID ("12d1:14dc" for a product the table does not name) and
// the gateway. False (and nothing written) for any other stick.
bool FormatRouterStickEntry(const StickDevice& device, char* entry, size_t entrySize);
