// A small hand-made capture (8x6 display, 4x3 sensor) in a temporary
// directory, with the matching saved report, for the report's unit tests.
#pragma once
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "capture_model.h"

namespace reportfx {

struct FakePair {
  std::map<std::string, std::vector<uint8_t>> files;
  void put(const std::string& ext, std::vector<uint8_t> bytes) { files[ext] = std::move(bytes); }
};

struct FakeCapture {
  explicit FakeCapture(int pairs);
  ~FakeCapture();
  FakeCapture(const FakeCapture&) = delete;
  FakeCapture& operator=(const FakeCapture&) = delete;

  FakePair& pair(int i) { return pairs[static_cast<size_t>(i)]; }
  // Writes every pair's files into dir (replacing what is there).
  void write() const;
  // The standard output a run of this capture prints; `edit` may change it.
  std::string reportText() const;
  std::filesystem::path writeReport(const std::string& text) const;
  std::optional<irreport::Capture> load(std::string& error, const std::string* report = nullptr) const;

  std::filesystem::path dir;
  std::vector<FakePair> pairs;
};

std::vector<uint8_t> u32s(std::initializer_list<uint32_t> words);

}  // namespace reportfx
