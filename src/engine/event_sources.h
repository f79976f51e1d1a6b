// Counts what can still re-enter the script after a run has ended (the
// script timer, sockets, servers, DDE). In console mode the program ends
// when a run ends and the count is zero.
#pragma once

namespace nura {

void AddEventSource();
void RemoveEventSource();
int EventSourceCount();

}  // namespace nura
