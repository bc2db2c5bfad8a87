#include "common/file_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using orvane::files::FileError;
using orvane::files::ReadFileWhole;
using orvane::files::WriteFileWhole;

namespace {

struct TempDir {
  TempDir() {
    std::string t = (fs::temp_directory_path() / "orvane-files-XXXXXX").string();
    path = ::mkdtemp(t.data());
  }
  ~TempDir() {
    std::error_code ec;
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path, ec);
  }
  std::string operator/(const std::string& name) const { return (path / name).string(); }
  std::size_t Entries() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(path), fs::directory_iterator()));
  }
  fs::path path;
};

std::string Read(const std::string& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

mode_t Mode(const std::string& p) {
  struct stat st {};
  ::stat(p.c_str(), &st);
  return st.st_mode & 07777;
}

std::string Message(const std::function<void()>& f) {
  try {
    f();
  } catch (const FileError& e) {
    return e.what();
  }
  return "no error";
}

}  // namespace

TEST(FileWriter, ReplacesWholeAndKeepsModeLinksAndLongNames) {
  TempDir d;
  // New file: 0666 less the umask, and the process umask left as it was.
  const mode_t mask = ::umask(022);
  WriteFileWhole(d / "new", std::string_view("abc"));
  EXPECT_EQ(Mode(d / "new"), 0644u);
  EXPECT_EQ(::umask(mask), 022u);

  // A longer old file leaves nothing behind; the mode stays.
  std::ofstream(d / "keep") << std::string(1000, 'x');
  ::chmod((d / "keep").c_str(), 0600);
  WriteFileWhole(d / "keep", std::string_view("new"));
  EXPECT_EQ(Read(d / "keep"), "new");
  EXPECT_EQ(Mode(d / "keep"), 0600u);

  // A symbolic link (relative, through a second link) stays a link; the file it names gets the bytes.
  fs::create_directory(d.path / "sub");
  std::ofstream(d / "sub/target") << "old";
  fs::create_symlink("sub/target", d.path / "link1");
  fs::create_symlink("link1", d.path / "link2");
  WriteFileWhole(d / "link2", std::string_view("via link"));
  EXPECT_TRUE(fs::is_symlink(d.path / "link2"));
  EXPECT_TRUE(fs::is_symlink(d.path / "link1"));
  EXPECT_EQ(Read(d / "sub/target"), "via link");
  // A dangling link creates the file it names.
  fs::create_symlink("sub/later", d.path / "dangling");
  WriteFileWhole(d / "dangling", std::string_view("made"));
  EXPECT_EQ(Read(d / "sub/later"), "made");
  EXPECT_TRUE(fs::is_symlink(d.path / "dangling"));

  // A hard link is not split: both names see the new bytes.
  std::ofstream(d / "hard1") << "old";
  fs::create_hard_link(d.path / "hard1", d.path / "hard2");
  WriteFileWhole(d / "hard1", std::string_view("shared"));
  EXPECT_EQ(Read(d / "hard2"), "shared");

  // A name near the file system's limit: the temporary's name does not grow with it.
  const std::string longName(250, 'n');
  WriteFileWhole(d / longName, std::string_view("long"));
  EXPECT_EQ(Read(d / longName), "long");

  // No temporaries left anywhere.
  for (const auto& e : fs::recursive_directory_iterator(d.path))
    EXPECT_EQ(e.path().filename().string().rfind(".orvane-", 0), std::string::npos) << e.path();
}

TEST(FileWriter, RefusesWhatIsNotAWritableRegularFile) {
  TempDir d;
  ASSERT_EQ(::mkfifo((d / "fifo").c_str(), 0644), 0);
  fs::create_directory(d.path / "folder");
  std::ofstream(d / "readonly") << "keep";
  ::chmod((d / "readonly").c_str(), 0444);
  const std::size_t before = d.Entries();

  struct Case {
    std::string path, reason;
  } cases[] = {
      {d / "fifo", "not a regular file"},
      {d / "folder", "not a regular file"},
      {d / "readonly", "Permission denied"},
      {d / "missing/file", "No such file or directory"},
  };
  for (const auto& c : cases) {
    const std::string m = Message([&] { WriteFileWhole(c.path, std::string_view("x")); });
    EXPECT_NE(m.find(c.path), std::string::npos) << m;
    EXPECT_NE(m.find(c.reason), std::string::npos) << m;
    EXPECT_NE(Message([&] { orvane::files::CheckWritable(c.path); }), "no error") << c.path;
  }
  EXPECT_TRUE(fs::is_fifo(d.path / "fifo"));
  EXPECT_EQ(Read(d / "readonly"), "keep");
  EXPECT_EQ(d.Entries(), before);
  EXPECT_EQ(Message([&] { orvane::files::CheckWritable(d / "fresh"); }), "no error");
}

TEST(FileWriter, WritesInPlaceWhenOnlyTheFolderIsReadOnly) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may write any folder; this needs an ordinary user";
  TempDir d;
  std::ofstream(d / "file") << "old contents";
  ::chmod(d.path.c_str(), 0555);
  WriteFileWhole(d / "file", std::string_view("new"));
  EXPECT_EQ(Read(d / "file"), "new");
  EXPECT_NE(Message([&] { WriteFileWhole(d / "other", std::string_view("x")); }).find("Permission denied"),
            std::string::npos);
}

TEST(FileReader, ReadsRegularFilesOnlyWithoutBlocking) {
  TempDir d;
  std::ofstream(d / "file") << "hello";
  EXPECT_EQ(ReadFileWhole(d / "file"), (std::vector<std::uint8_t>{'h', 'e', 'l', 'l', 'o'}));
  EXPECT_EQ(orvane::files::RegularFileSize(d / "file"), 5u);
  ASSERT_EQ(::mkfifo((d / "fifo").c_str(), 0644), 0);
  fs::create_directory(d.path / "folder");

  struct Case {
    std::string path;
    std::size_t cap;
    std::string reason;
  } cases[] = {
      {d / "fifo", orvane::files::kNoSizeCap, "not a regular file"},  // would block for ever in a plain open
      {d / "folder", orvane::files::kNoSizeCap, "Is a directory"},
      {d / "missing", orvane::files::kNoSizeCap, "No such file or directory"},
      {d / "file", 4, "file too large (5 bytes, at most 4 bytes)"},
      // Its size says 0, its bytes are more: the cap holds for what is read, not only for what stat says.
      {"/proc/self/status", 10, "file too large (at most 10 bytes)"},
  };
  for (const auto& c : cases) {
    const std::string m = Message([&] { ReadFileWhole(c.path, c.cap); });
    EXPECT_NE(m.find("cannot read " + c.path), std::string::npos) << m;
    EXPECT_NE(m.find(c.reason), std::string::npos) << m;
  }
  EXPECT_EQ(ReadFileWhole(d / "file", 5).size(), 5u);
}

TEST(FileBackup, CopiesWhatALinkNamesAndLeavesNothingWhenThereIsNothing) {
  TempDir d;
  EXPECT_FALSE(orvane::files::BackUpFile(d / "missing", d / "missing.bak"));
  EXPECT_EQ(d.Entries(), 0u);

  WriteFileWhole(d / "real.tpd", std::string_view("old bytes"));
  fs::create_symlink("real.tpd", d / "link.tpd");
  EXPECT_TRUE(orvane::files::BackUpFile(d / "link.tpd", d / "link.tpd.bak"));
  EXPECT_EQ(Read(d / "link.tpd.bak"), "old bytes");
  EXPECT_FALSE(fs::is_symlink(d / "link.tpd.bak"));
  EXPECT_TRUE(fs::is_symlink(d / "link.tpd"));

  // A folder in the way of the backup, or a source that is no regular file: a FileError, nothing written.
  fs::create_directory(d / "dir.bak");
  EXPECT_NE(Message([&] { orvane::files::BackUpFile(d / "real.tpd", d / "dir.bak"); }), "no error");
  EXPECT_NE(Message([&] { orvane::files::BackUpFile(d.path.string(), d / "x.bak"); }), "no error");
  EXPECT_FALSE(fs::exists(d / "x.bak"));
}
