// Finding and reading the per-pair files of a capture directory.
#pragma once
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace irreport {

// The tables and buffers the change view compares, in display order.
extern const char* const kChangeTables[28];

struct DumpFile {
  std::vector<uint8_t> bytes;
  std::filesystem::file_time_type mtime{};
};

struct PairFiles {
  int index = -1;
  std::map<std::string, DumpFile> files;  // by extension
};

// True for the extensions irprobe writes per pair.
bool isPairExtension(const std::string& ext);

// Parses "pair_NNN.ext" (index as "%03d" writes it, a known extension).
bool parsePairFileName(const std::string& name, int& index, std::string& ext);

// Reads every per-pair file of `dir`, pairs in ascending index order.
// Returns nullopt with `error` set when the directory cannot be read or holds
// no pair file at all.
std::optional<std::vector<PairFiles>> readCaptureDir(const std::filesystem::path& dir, std::string& error);

// The file of that extension, or null when the pair has none.
const DumpFile* findFile(const PairFiles& pair, const std::string& ext);

}  // namespace irreport
