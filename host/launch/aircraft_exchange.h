// The exchange of the usable aircraft types when a network session starts:
// the hosting side writes them to "AircraftList.dat" in the cache directory
// and declares the session ready; the joining side waits for that and brings
// its object lists and the list file in line with the host's.
#pragma once

// Reloads the object lists, writes the list file and sets the session ready.
void ExchangeAircraftAsHost();

// Waits for the hosting side's ready flag, pumping the window's messages, for
// at most timeoutSeconds (0 or below: without limit). False when the player closed the window or the time
// ran out (nothing is synchronised then), or when a file did not arrive whole
// (logged by name); true once every file was synchronised.
bool ExchangeAircraftAsJoiner(int timeoutSeconds);
