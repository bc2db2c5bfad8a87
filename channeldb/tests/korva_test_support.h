// Buffers and helpers shared by the Korva tests.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "channeldb/include/korva.h"
#include "channeldb/records.h"

struct Buffers {
  std::unique_ptr<SatelliteImage> image = std::make_unique<SatelliteImage>();
  std::unique_ptr<SatelliteNameTable> names = std::make_unique<SatelliteNameTable>();
  std::unique_ptr<ChannelTable> channels = std::make_unique<ChannelTable>();

  std::uint8_t* Load(const std::string& path) {
    return DELVO_LoadNewData(path.c_str(), image->bytes.data(), names->bytes.data(), channels->bytes.data());
  }
  int Save(const std::string& path) const {
    return DELVO_SaveNewData(path.c_str(), image->bytes.data(), names->bytes.data(), channels->bytes.data());
  }
};

class TempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("orvane-test-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  static std::vector<std::uint8_t> ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
  }
  static void WriteFile(const std::string& path, const std::vector<std::uint8_t>& data) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  }

  std::filesystem::path dir_;
};
