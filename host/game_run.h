// The run of the game once the main window exists, in the order it happens:
// the start-up sequence, the main loop that alternates a menu run and a
// flight, each around its own module set, and the base-module teardown.
#pragma once

// Runs the game with the process command line. Always 0.
int Run(const char* commandLine);

// Reads the rest of startup.ini (writing every missing key back), plays the
// intro movies, completes the options file, loads the base module set and runs
// the multiplayer launch. Its result: nonzero to enter the main loop, 0 when
// start-up failed.
int StartupSequence(const char* commandLine);

// One menu run and one flight, each around its own module set; nonzero to go
// on with the main loop.
int MenuPhase();
int FlightPhase();
// After a flight the mission system names the next menu screen.
void AfterFlightStep();
