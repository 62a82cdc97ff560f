// End-to-end harness: runs the built tool as a separate process (natively,
// or irprobe.exe under wine) against a variant and scenario of the simulated
// SDK, in a fresh working directory, and collects what it left behind.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ToolRun {
  std::string variant = "default";   // simlib/<variant>; "" puts no SDK on the search path
  std::string scenario = "default";  // IRSIM_SCENARIO
  std::vector<std::string> args;     // after the program path
  int timeoutSeconds = 180;
  std::string peekFor;               // when set, standard output is taken as soon as a line starts with this
};

struct ToolResult {
  int exitCode = -1;                 // -1 when it did not end normally
  std::vector<std::string> lines;    // standard output, line by line (CR stripped)
  std::string stdoutText;            // standard output as written (CR stripped)
  std::vector<std::string> calls;    // the simulated SDK's call log
  std::string workDir;               // the run's current directory
  std::vector<std::string> peek;     // standard output when peekFor first showed, while the run went on
};

ToolResult runTool(const ToolRun& run);
ToolResult runTool(const std::string& variant, const std::string& scenario, const std::vector<std::string>& args);

bool underWine();
// Size of a file, or -1 when it does not exist.
int64_t fileSize(const std::string& path);
std::vector<unsigned char> readFile(const std::string& path);
// Names of the regular files in a directory, sorted.
std::vector<std::string> listFiles(const std::string& dir);
// Index of the first line starting with prefix at or after `from`, or -1.
int findLine(const std::vector<std::string>& lines, const std::string& prefix, int from = 0);
// Lines starting with prefix.
int countLines(const std::vector<std::string>& lines, const std::string& prefix);
// Entry-point name of each logged call, in order ("Stop", "MAG_TriggerFFC(0,1)" gives "MAG_TriggerFFC").
std::vector<std::string> callNames(const ToolResult& r);
