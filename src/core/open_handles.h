// How many file handles (files, sockets, devices) the process holds against
// its limit, so that network clients can be kept from taking the last ones.
#pragma once

namespace vantor {

// The handles open now; -1 where the system cannot tell.
int OpenHandleCount();

// The soft limit on open handles; 0 where there is none to tell.
long OpenHandleLimit();

// Whether the handles still free are no more than reserve: true when fewer
// than reserve + 1 remain. False where count or limit cannot be told.
bool WithinHandleReserve(int reserve);

} // namespace vantor
