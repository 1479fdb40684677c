// The run of the game once the main window exists: start-up, the main loop
// that alternates a menu run and a flight, and the base-module teardown.
#pragma once

// Runs the game with the process command line. Always 0.
int Run(const char* commandLine);

// One menu run and one flight, each around its own module set; nonzero to go
// on with the main loop.
int MenuPhase();
int FlightPhase();
// After a flight the mission system names the next menu screen.
void AfterFlightStep();
