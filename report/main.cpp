// irprobe-report: turns an irprobe capture directory (and optionally the
// run's saved standard output) into one self-contained HTML page.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "capture_model.h"
#include "html_page.h"

namespace {

int usage() {
  std::fprintf(stderr, "usage: irprobe-report CAPTURE_DIR [REPORT_TXT] [-o report.html]\n");
  return 2;
}

int fail(const std::string& message) {
  std::fprintf(stderr, "irprobe-report: %s\n", message.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::string positional[2];
  int count = 0;
  std::string output;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-o") == 0) {
      if (i + 1 >= argc || !output.empty()) return usage();
      output = argv[++i];
    } else if (argv[i][0] == '-' && argv[i][1] != '\0') {
      return usage();
    } else {
      if (count == 2) return usage();
      positional[count++] = argv[i];
    }
  }
  if (count == 0) return usage();
  const std::filesystem::path dir = positional[0];
  const std::filesystem::path logPath = positional[1];
  if (output.empty()) output = (dir / "report.html").string();

  std::string error;
  const auto cap = irreport::loadCapture(dir, count == 2 ? &logPath : nullptr, error);
  if (!cap) return fail(error);
  const std::string page = irreport::buildPage(*cap);
  std::ofstream out(output, std::ios::binary | std::ios::trunc);
  out.write(page.data(), static_cast<std::streamsize>(page.size()));
  out.close();
  if (!out) return fail("cannot write " + output);
  std::printf("irprobe-report: wrote %s (%zu pairs, %zu notes)\n", output.c_str(), cap->pairs.size(), cap->notes.size());
  return 0;
}
