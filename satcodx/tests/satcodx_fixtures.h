// Builders for listing records and index files, and a scratch working folder.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace orvane::satcodx::testing {

// One fixed-column listing record; every field can be overridden, `length` sets the line length.
struct Rec {
  std::string system = "MPG2";
  std::string frequency = "11778";  // columns 35-39 (column 34 and 40-42 complete the nine-digit kHz field)
  char polarisation = '1';
  std::string position = "0192";
  std::string audio1 = "___";
  std::string audio2 = "___";
  std::string symbolRate = "27500";
  char fec = '3';
  std::size_t length = 128;
  std::string channel = "CHANNEL ";

  std::string Line() const {
    std::string l(std::max<std::size_t>(length, 80), '_');
    auto put = [&](int column, const std::string& v) {
      l.replace(static_cast<std::size_t>(column - 1), v.size(), v);
    };
    put(1, "SATCODX103Test Sat (19.2E)");
    put(29, "T");
    put(30, system);
    put(34, "0");
    put(35, frequency);
    put(40, "000");
    l[42] = polarisation;
    put(44, channel.substr(0, 8));
    put(52, position);
    put(56, "DEU     ");
    put(64, audio1);
    put(67, audio2);
    put(70, symbolRate);
    l[74] = fec;
    l.resize(length);
    return l;
  }
};

// Frequencies are written with leading zeros, as the listing's nine-digit kHz field has them.
inline std::string Mhz(const std::string& mhz) {
  return mhz.size() < 5 ? std::string(5 - mhz.size(), '0') + mhz : mhz;
}

inline Rec Ku(const std::string& mhz, char pol = '1') {
  Rec r;
  r.frequency = Mhz(mhz);
  r.polarisation = pol;
  return r;
}
inline Rec C(const std::string& mhz, char pol = '0') {
  Rec r;
  r.frequency = Mhz(mhz);
  r.polarisation = pol;
  return r;
}

class WorkDir {
 public:
  WorkDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "satcodx-XXXXXX").string();
    path_ = ::mkdtemp(tmpl.data());
    std::filesystem::create_directories(path_ / "import");
  }
  ~WorkDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& path() const { return path_; }
  void Write(const std::filesystem::path& rel, const std::string& bytes) const {
    std::filesystem::create_directories((path_ / rel).parent_path());
    std::ofstream(path_ / rel, std::ios::binary) << bytes;
  }
  std::string Read(const std::filesystem::path& rel) const {
    std::ifstream in(path_ / rel, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void WriteListing(const std::string& file, const std::vector<Rec>& recs,
                    const std::string& eol = "\n") const {
    std::string data;
    for (const auto& r : recs) data += r.Line() + eol;
    Write(std::filesystem::path("import") / file, data);
  }

 private:
  std::filesystem::path path_;
};

// Index layout of these tests: address at 1 (40 wide), file name at 42 (20 wide), name at 63 (25 wide).
inline constexpr char kHeader[] = "01 40 42 20 63 25";

// One index line. The address is padded to 40 and the file name to 20 (the real index pads its fields); the
// position sits 23 characters into the address. The name is written as given, unpadded, at the end.
inline std::string IndexLine(const std::string& host, const std::string& position, const std::string& file,
                             const std::string& name) {
  std::string address = host;  // host is "127.0.0.1:PPPPP" (15 characters) or anything of that width
  address.resize(15, ' ');
  address += "/sdxpos/" + position + "/" + file;
  address.resize(40, ' ');
  std::string f = file;
  f.resize(20, ' ');
  return address + " " + f + " " + name;
}

inline std::string Index(const std::vector<std::string>& lines) {
  std::string data = std::string(kHeader) + "\r\n";
  for (const auto& l : lines) data += l + "\r\n";
  return data;
}

}  // namespace orvane::satcodx::testing
