// End-to-end harness: fork/exec of the tool with its standard output in a
// file, a time limit, and helpers to read what the run produced.
#include "harness.h"

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

std::string env(const char* name) {
  const char* v = getenv(name);
  return v ? v : "";
}

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::vector<std::string> splitLines(std::string& text) {
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  std::vector<std::string> lines;
  std::stringstream ss(text);
  std::string line;
  while (std::getline(ss, line)) lines.push_back(line);
  return lines;
}

std::string makeWorkDir() {
  std::string base = env("IRPROBE_E2E_TMP");
  if (base.empty()) base = "/tmp";
  std::string templ = base + "/irprobe-e2e-XXXXXX";
  std::vector<char> buf(templ.begin(), templ.end());
  buf.push_back('\0');
  if (!mkdtemp(buf.data())) return "";
  return buf.data();
}

}  // namespace

bool underWine() { return env("IRPROBE_WINE") == "1"; }

ToolResult runTool(const ToolRun& run) {
  ToolResult r;
  r.workDir = makeWorkDir();
  const std::string bin = env("IRPROBE_BIN");
  const std::string simlib = env("IRPROBE_SIMLIB");
  const std::string libDir = run.variant.empty() ? r.workDir + "/no-sdk" : simlib + "/" + run.variant;
  const std::string logPath = r.workDir + "/calls.log";
  const std::string outPath = r.workDir + "/stdout.txt";
  const std::string errPath = r.workDir + "/stderr.txt";
  if (run.variant.empty()) mkdir(libDir.c_str(), 0755);
  mkdir((r.workDir + "/out").c_str(), 0755);  // the output directory most cases use

  std::vector<std::string> argv;
  if (underWine()) argv.push_back(env("IRPROBE_TOOLS") + "/wine-run.sh");
  argv.push_back(bin);
  argv.insert(argv.end(), run.args.begin(), run.args.end());

  pid_t pid = fork();
  if (pid == 0) {
    if (chdir(r.workDir.c_str()) != 0) _exit(125);
    int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int in = open("/dev/null", O_RDONLY);
    dup2(out, 1);
    dup2(err, 2);
    dup2(in, 0);
    setenv("IRSIM_SCENARIO", run.scenario.c_str(), 1);
    setenv("IRSIM_LOG", logPath.c_str(), 1);
    if (underWine()) {
      setenv("IRPROBE_WINE_LIBDIR", libDir.c_str(), 1);
    } else {
      setenv("LD_LIBRARY_PATH", libDir.c_str(), 1);
    }
    std::vector<char*> cargv;
    for (auto& a : argv) cargv.push_back(const_cast<char*>(a.c_str()));
    cargv.push_back(nullptr);
    execv(cargv[0], cargv.data());
    _exit(127);
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(run.timeoutSeconds);
  bool peeked = run.peekFor.empty();
  int status = 0;
  for (;;) {
    pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (!peeked) {
      std::string text = slurp(outPath);
      std::vector<std::string> lines = splitLines(text);
      for (const auto& line : lines) peeked |= line.rfind(run.peekFor, 0) == 0;
      if (peeked) r.peek = lines;
    }
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (WIFEXITED(status)) r.exitCode = WEXITSTATUS(status);
  r.stdoutText = slurp(outPath);
  r.lines = splitLines(r.stdoutText);
  std::string log = slurp(logPath);
  r.calls = splitLines(log);
  return r;
}

ToolResult runTool(const std::string& variant, const std::string& scenario, const std::vector<std::string>& args) {
  ToolRun run;
  run.variant = variant;
  run.scenario = scenario;
  run.args = args;
  return runTool(run);
}

int64_t fileSize(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return -1;
  return static_cast<int64_t>(st.st_size);
}

std::vector<unsigned char> readFile(const std::string& path) {
  std::string s = slurp(path);
  return std::vector<unsigned char>(s.begin(), s.end());
}

std::vector<std::string> listFiles(const std::string& dir) {
  std::vector<std::string> names;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d)) {
      std::string name = e->d_name;
      struct stat st;
      if (stat((dir + "/" + name).c_str(), &st) == 0 && S_ISREG(st.st_mode)) names.push_back(name);
    }
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

int findLine(const std::vector<std::string>& lines, const std::string& prefix, int from) {
  for (int i = std::max(from, 0); i < static_cast<int>(lines.size()); ++i)
    if (lines[i].rfind(prefix, 0) == 0) return i;
  return -1;
}

int countLines(const std::vector<std::string>& lines, const std::string& prefix) {
  int n = 0;
  for (const auto& l : lines) n += l.rfind(prefix, 0) == 0;
  return n;
}

std::vector<std::string> callNames(const ToolResult& r) {
  std::vector<std::string> names;
  for (const auto& c : r.calls) {
    size_t sp = c.find(' ');
    if (sp == std::string::npos) continue;
    names.push_back(c.substr(sp + 1, c.find('(', sp) - sp - 1));
  }
  return names;
}
