// irprobe: capture-and-probe tool for a thermal camera's SDK.
#include "driver/run.h"

int main(int argc, char** argv) { return runTool(argc, argv); }
