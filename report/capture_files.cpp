// Finding and reading the per-pair files of a capture directory.
#include "capture_files.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

namespace irreport {

const char* const kChangeTables[28] = {"nuctab", "thr", "gain", "lut", "hist", "ref", "b00", "b01", "b02", "b03",
                                       "b04", "b05", "b06", "b07", "smo", "smoacc", "f20", "e0acc", "e0buf", "cnt",
                                       "smo1", "smo2", "modes", "stream", "win", "win2", "hdr", "pal"};

namespace {

const char* const kImageFiles[] = {"gray", "rgb", "raw", "cbrgb", "t32", "bar", "barinfo"};

bool readWhole(const std::filesystem::path& path, std::vector<uint8_t>& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0) return false;
  in.seekg(0, std::ios::beg);
  out.resize(static_cast<size_t>(size));
  if (size > 0) in.read(reinterpret_cast<char*>(out.data()), size);
  return static_cast<bool>(in) || in.eof();
}

}  // namespace

bool isPairExtension(const std::string& ext) {
  for (const char* t : kChangeTables)
    if (ext == t) return true;
  for (const char* t : kImageFiles)
    if (ext == t) return true;
  return false;
}

bool parsePairFileName(const std::string& name, int& index, std::string& ext) {
  if (name.rfind("pair_", 0) != 0) return false;
  const size_t dot = name.find('.', 5);
  if (dot == std::string::npos) return false;
  const std::string digits = name.substr(5, dot - 5);
  if (digits.size() < 3 || digits.size() > 9 ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return false;
  const int value = std::stoi(digits);
  char canonical[16];
  std::snprintf(canonical, sizeof canonical, "%03d", value);
  if (digits != canonical) return false;
  ext = name.substr(dot + 1);
  if (!isPairExtension(ext)) return false;
  index = value;
  return true;
}

std::optional<std::vector<PairFiles>> readCaptureDir(const std::filesystem::path& dir, std::string& error) {
  std::error_code ec;
  if (!std::filesystem::is_directory(dir, ec)) {
    error = "capture directory " + dir.string() + " does not exist or is not a directory";
    return std::nullopt;
  }
  std::map<int, PairFiles> byIndex;
  for (auto it = std::filesystem::directory_iterator(dir, ec); !ec && it != std::filesystem::directory_iterator();
       it.increment(ec)) {
    int index = 0;
    std::string ext;
    if (!it->is_regular_file(ec) || !parsePairFileName(it->path().filename().string(), index, ext)) continue;
    DumpFile file;
    if (!readWhole(it->path(), file.bytes)) {
      error = "cannot read " + it->path().string();
      return std::nullopt;
    }
    file.mtime = it->last_write_time(ec);
    PairFiles& pair = byIndex[index];
    pair.index = index;
    pair.files.emplace(ext, std::move(file));
  }
  if (ec) {
    error = "cannot list " + dir.string() + ": " + ec.message();
    return std::nullopt;
  }
  if (byIndex.empty()) {
    error = "no pair_NNN.* files in " + dir.string() + ": not an irprobe capture directory";
    return std::nullopt;
  }
  std::vector<PairFiles> pairs;
  for (auto& [index, pair] : byIndex) pairs.push_back(std::move(pair));
  return pairs;
}

const DumpFile* findFile(const PairFiles& pair, const std::string& ext) {
  const auto it = pair.files.find(ext);
  return it == pair.files.end() ? nullptr : &it->second;
}

}  // namespace irreport
