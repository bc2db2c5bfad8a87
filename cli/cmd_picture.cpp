// orvane-cli picture: a JPEG to a picture slot as the picture windows make it, and slots to a picture image.
#include <charconv>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/command.h"
#include "common/file_io.h"
#include "pictures/library_encoder.h"
#include "pictures/mpegenc/mpegenc.h"
#include "pictures/picture_pipeline.h"

namespace {

namespace pics = orvane::pictures;

constexpr const char* kDefaultBitrate = "2000000";
constexpr int kDefaultBrightness = 30;

int Usage(std::FILE* out) {
  std::fprintf(out,
               "usage: orvane-cli picture slot --kind opening|mainmenu|radio [--bitrate TEXT] [--brightness P]\n"
               "                               [--fill 00|ff] IN.jpg OUT\n"
               "         encode IN.jpg as the picture windows do (Load, then Set answered Yes; writes ./tmp.bmp)\n"
               "         and write the whole slot to OUT (defaults: bitrate 2000000, brightness 30, fill 00)\n"
               "       orvane-cli picture image [--opening SLOT] [--mainmenu SLOT] [--radio SLOT] OUT\n"
               "         write the 65536-byte picture image from slot files (a slot not given is zeros)\n");
  return out == stderr ? 2 : 0;
}

std::optional<pics::PictureKind> KindFrom(const std::string& name) {
  for (pics::PictureKind k : pics::kAllKinds)
    if (name == pics::KindName(k)) return k;
  return std::nullopt;
}

std::optional<int> Percent(const std::string& text) {
  int v = -1;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || v < 0 || v > pics::kBrightnessMax) return std::nullopt;
  return v;
}

int Slot(const std::vector<std::string>& args) {
  std::optional<pics::PictureKind> kind;
  std::string bitrate = kDefaultBitrate;
  int brightness = kDefaultBrightness;
  std::uint8_t fill = 0x00;
  std::vector<std::string> files;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--help" || a == "-h") return Usage(stdout);
    if (a == "--kind" && hasValue) {
      kind = KindFrom(args[++i]);
      if (!kind) return Usage(stderr);
    } else if (a == "--bitrate" && hasValue) {
      bitrate = args[++i];
    } else if (a == "--brightness" && hasValue) {
      const auto p = Percent(args[++i]);
      if (!p) return Usage(stderr);
      brightness = *p;
    } else if (a == "--fill" && hasValue) {
      const std::string& f = args[++i];
      if (f != "00" && f != "ff" && f != "FF") return Usage(stderr);
      fill = f == "00" ? 0x00 : 0xFF;
    } else if (a.rfind("--", 0) == 0) {
      return Usage(stderr);
    } else {
      files.push_back(a);
    }
  }
  if (!kind || files.size() != 2) return Usage(stderr);
  const std::string& in = files[0];
  const std::string& out = files[1];

  auto encoder = pics::MakeLibraryEncoder();
  pics::PictureSet set(fill, *encoder);
  orvane::files::CheckWritable(out);  // before the work, not after it
  set.Load(*kind, in);
  const pics::SetResult r = set.Set(*kind, {in, brightness, bitrate}, [] { return true; });

  MpegEncodeInfo info{};
  MPEGGetLastEncodeInfo(&info);
  const pics::SlotGeometry g = pics::Geometry(*kind);
  std::printf("encoded %d bytes (limit %zu, target %d at %d bit/s)\n", r.encodedLength, g.limit, info.target,
              info.bit_rate);
  if (info.fine_quantiser > 0)
    std::printf("quantisers %d on %d rows, %d on %d rows, %d encodes\n", info.coarse_quantiser, info.coarse_rows,
                info.fine_quantiser, info.fine_rows, info.encodes);
  else
    std::printf("quantiser %d on all %d rows, %d encodes\n", info.coarse_quantiser, info.coarse_rows, info.encodes);
  if (r.outcome != pics::SetOutcome::Success) {
    std::fprintf(stderr, "%s\n", pics::kMsgTooBig);
    return 1;
  }
  orvane::files::WriteFileWhole(out, set.Slot(*kind));
  std::printf("%s: %s slot, %zu bytes\n", out.c_str(), pics::KindName(*kind), g.size);
  return 0;
}

int Image(const std::vector<std::string>& args) {
  std::array<std::vector<std::uint8_t>, 3> slots;
  std::vector<std::string> files;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") return Usage(stdout);
    if (a.rfind("--", 0) == 0) {
      const auto kind = KindFrom(a.substr(2));
      if (!kind || i + 1 >= args.size()) return Usage(stderr);
      const std::string& path = args[++i];
      auto bytes = orvane::files::ReadFileWhole(path, pics::kPictureImageSize);
      if (bytes.size() != pics::Geometry(*kind).size) {
        std::fprintf(stderr, "orvane-cli picture: %s holds %zu bytes; a %s slot has %zu\n", path.c_str(),
                     bytes.size(), pics::KindName(*kind), pics::Geometry(*kind).size);
        return 1;
      }
      slots[static_cast<std::size_t>(*kind)] = std::move(bytes);
    } else {
      files.push_back(a);
    }
  }
  if (files.size() != 1) return Usage(stderr);
  const auto image = pics::BuildPictureImage({slots[0], slots[1], slots[2]});
  orvane::files::WriteFileWhole(files[0], image);
  std::printf("%s: picture image, %zu bytes\n", files[0].c_str(), image.size());
  return 0;
}

int Run(const std::vector<std::string>& args) {
  if (args.empty()) return Usage(stderr);
  if (args[0] == "--help" || args[0] == "-h") return Usage(stdout);
  if (args[0] == "slot") return Slot(args);
  if (args[0] == "image") return Image(args);
  return Usage(stderr);
}

const orvane::cli::Registrar kPicture({"picture", "JPEG to picture slot, slots to picture image", Run});

}  // namespace
