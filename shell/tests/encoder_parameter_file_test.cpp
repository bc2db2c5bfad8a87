#include "shell/encoder_parameter_file.h"

#include "common/windows_dir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;
namespace enc = orvane::encoder;

namespace {

struct TempDir {
  TempDir() {
    std::string t = (fs::temp_directory_path() / "orvane-windir-XXXXXX").string();
    path = ::mkdtemp(t.data());
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
  fs::path path;
};

std::string Read(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST(EncoderParameterFile, FiftyFiveLinesEachEndedByCrLf) {
  TempDir dir;
  const std::string path = (dir.path / "orbelimg.dat").string();
  enc::WriteParameterFile(path, enc::kParameterLines);
  const std::string bytes = Read(path);

  std::vector<std::string> lines;
  std::size_t from = 0;
  for (std::size_t at; (at = bytes.find("\r\n", from)) != std::string::npos; from = at + 2)
    lines.push_back(bytes.substr(from, at - from));
  EXPECT_EQ(from, bytes.size()) << "text after the last CR LF";
  ASSERT_EQ(lines.size(), 55u);
  for (const auto& l : lines) EXPECT_EQ(l.find_first_of("\r\n"), std::string::npos) << l;

  EXPECT_EQ(lines[0], "MPEG-2 Test Sequence, 25 frames/sec");
  EXPECT_EQ(lines[2], "q%d       /* name of reconstructed images (\"-\": don't store) */");
  EXPECT_EQ(lines[3], "-         /* name of intra quant matrix file     (\"-\": default matrix) */ ");
  EXPECT_EQ(lines[7], "1        /* number of frames */");  // eight blanks
  EXPECT_EQ(lines[8], "0         /* number of first frame */");
  EXPECT_EQ(lines[14], "704       /* horizontal_size */");
  EXPECT_EQ(lines[18], "5000000.0 /* bit_rate (bits/s) */");
  EXPECT_EQ(lines[23], "8         /* Level ID:   Low = 10, Main = 8, High 1440 = 6, High = 4          */");
  EXPECT_EQ(lines[51], "1 1 3  3  /* B1: forw_hor_f_code forw_vert_f_code search_width/height */");
  EXPECT_EQ(lines[54], "1 1 3  3  /* B2: back_hor_f_code back_vert_f_code search_width/height */");
  // Only line 4 has a trailing blank.
  for (std::size_t i = 0; i < lines.size(); ++i)
    EXPECT_EQ(lines[i].back() == ' ', i == 3) << "line " << i + 1;
  // Replaced as a whole: a longer old file leaves nothing behind.
  std::ofstream(path, std::ios::binary) << std::string(10000, 'x');
  enc::WriteParameterFile(path, enc::kParameterLines);
  EXPECT_EQ(Read(path), bytes);
}

TEST(EncoderParameterFile, WindowsDirectoryStandIn) {
  TempDir dir;
  const fs::path nested = dir.path / "a" / "b";
  ::setenv("ORVANE_WINDIR", nested.c_str(), 1);
  EXPECT_EQ(orvane::platform::WindowsDirectory(), nested.string());
  EXPECT_TRUE(fs::is_directory(nested));
  EXPECT_EQ(enc::ParameterFilePath(), (nested / "orbelimg.dat").string());

  ::unsetenv("ORVANE_WINDIR");
  ::setenv("XDG_CONFIG_HOME", dir.path.c_str(), 1);
  EXPECT_EQ(orvane::platform::WindowsDirectory(), (dir.path / "orvane").string());

  // A directory that cannot be made is an error with the system's reason, not a silent success.
  std::ofstream(dir.path / "file") << "x";
  ::setenv("ORVANE_WINDIR", (dir.path / "file" / "sub").c_str(), 1);
  EXPECT_THROW(orvane::platform::WindowsDirectory(), std::system_error);
  ::unsetenv("ORVANE_WINDIR");
  ::unsetenv("XDG_CONFIG_HOME");
}

TEST(EncoderParameterFile, AFailedWriteThrowsAndLeavesNoTemporary) {
  TempDir dir;
  // The target is a folder: the rename fails after the temporary was written.
  fs::create_directory(dir.path / "orbelimg.dat");
  EXPECT_THROW(enc::WriteParameterFile((dir.path / "orbelimg.dat").string(), enc::kParameterLines),
               orvane::files::FileError);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 1);
  // No folder at all.
  EXPECT_THROW(enc::WriteParameterFile((dir.path / "none" / "orbelimg.dat").string(), enc::kParameterLines),
               orvane::files::FileError);
}
