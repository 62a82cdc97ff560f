// The run sequence from the command line to the camera's stop.
#pragma once

// Runs the tool; returns the process exit code (0 done, 1 a library failed to
// load, 2 a required entry point is missing, 3 no channel, 4 no memory for
// the capture buffers).
int runTool(int argc, char** argv);
