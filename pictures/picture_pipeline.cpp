#include "pictures/picture_pipeline.h"

// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <csetjmp>
#include <cstring>
#include <limits>

#include "common/bytes.h"
#include "common/file_io.h"

namespace orvane::pictures {

namespace {

// A JPEG larger than this is no photograph anyone means to put on a receiver's screen.
constexpr std::size_t kJpegFileCap = 256u << 20;

constexpr std::size_t kBmpMagicOffset = 0;
constexpr std::size_t kBmpFileSizeOffset = 2;
constexpr std::size_t kBmpPixelOffsetOffset = 10;
constexpr std::size_t kBmpInfoSizeOffset = 14;
constexpr std::size_t kBmpWidthOffset = 18;
constexpr std::size_t kBmpHeightOffset = 22;
constexpr std::size_t kBmpPlanesOffset = 26;
constexpr std::size_t kBmpBitCountOffset = 28;
constexpr std::size_t kBmpImageSizeOffset = 34;
constexpr int kBmpBitsPerPixel = 24;

// The pairs (P, v) where the extended-precision product v * (P / 100), truncated, falls one below the
// integer quotient v * P / 100 (P / 100 is not exact in binary, and these products land just under an integer).
struct DarkenException {
  int percent;
  int value;
};
constexpr DarkenException kDarkenExceptions[] = {{42, 150}, {52, 225}, {53, 100}, {53, 200}, {59, 100},
                                                 {59, 200}, {65, 180}, {78, 150}, {84, 75},  {84, 150}};

struct DarkenTable {
  std::array<std::array<std::uint8_t, 256>, kBrightnessMax + 1> values{};
  constexpr DarkenTable() {
    for (int p = 0; p <= kBrightnessMax; ++p)
      for (int v = 0; v < 256; ++v) values[p][v] = static_cast<std::uint8_t>(v * p / kBrightnessMax);
    for (const auto& e : kDarkenExceptions) values[e.percent][e.value] -= 1;
  }
};
constexpr DarkenTable kDarkenTable;

constexpr bool kLongDoubleIsExtended = std::numeric_limits<long double>::digits == 64;

// libjpeg reports a fatal error through error_exit, which must not return: jump back to the caller.
struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

void ExitOnError(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  std::longjmp(err->jump, 1);
}

// Warnings (a truncated file, extraneous bytes) do not stop the decoder; they are not printed either.
void QuietMessage(j_common_ptr) {}

// The source column or row that output position `i` of `out` samples from `in` (centre of each output pixel,
// so equal sizes copy one to one).
inline std::size_t Sample(std::size_t i, std::size_t in, std::size_t out) { return ((2 * i + 1) * in) / (2 * out); }

// One decoded scanline (RGB, or CMYK as libjpeg hands it) into bottom-up BGR output row `outRow`.
void PutRow(const std::uint8_t* line, int components, bool invertedCmyk, const std::vector<std::size_t>& columns,
            std::uint8_t* out) {
  for (std::size_t x = 0; x < columns.size(); ++x) {
    const std::uint8_t* px = line + columns[x] * static_cast<std::size_t>(components);
    std::uint8_t r, g, b;
    if (components == 4) {
      // Adobe writes CMYK inverted (255 = no ink); plain CMYK has 0 = no ink.
      const unsigned c = invertedCmyk ? px[0] : 255u - px[0];
      const unsigned m = invertedCmyk ? px[1] : 255u - px[1];
      const unsigned y = invertedCmyk ? px[2] : 255u - px[2];
      const unsigned k = invertedCmyk ? px[3] : 255u - px[3];
      r = static_cast<std::uint8_t>((c * k + 127) / 255);
      g = static_cast<std::uint8_t>((m * k + 127) / 255);
      b = static_cast<std::uint8_t>((y * k + 127) / 255);
    } else {
      r = px[0];
      g = px[1];
      b = px[2];
    }
    out[x * 3 + 0] = b;
    out[x * 3 + 1] = g;
    out[x * 3 + 2] = r;
  }
}

}  // namespace

SlotGeometry Geometry(PictureKind kind) {
  switch (kind) {
    case PictureKind::MainMenu:
      return {18432, 18400};
    case PictureKind::Opening:
    case PictureKind::Radio:
      break;
  }
  return {23552, 23520};
}

const char* KindName(PictureKind kind) {
  switch (kind) {
    case PictureKind::Opening:
      return "opening";
    case PictureKind::MainMenu:
      return "mainmenu";
    case PictureKind::Radio:
      break;
  }
  return "radio";
}

std::size_t PictureImageOffset(PictureKind kind) {
  switch (kind) {
    case PictureKind::MainMenu:
      return 0x0000;
    case PictureKind::Opening:
      return 0x4800;
    case PictureKind::Radio:
      break;
  }
  return 0xA400;
}

std::vector<std::uint8_t> BuildPictureImage(const std::array<std::span<const std::uint8_t>, 3>& slots) {
  std::vector<std::uint8_t> image(kPictureImageSize, 0);
  for (PictureKind k : kAllKinds) {
    const auto slot = slots[static_cast<std::size_t>(k)];
    if (slot.empty()) continue;
    if (slot.size() != Geometry(k).size)
      throw std::invalid_argument(std::string("a ") + KindName(k) + " slot has " + std::to_string(Geometry(k).size) +
                                  " bytes, not " + std::to_string(slot.size()));
    bytes::PutBytes(image, PictureImageOffset(k), slot);
  }
  return image;
}

JpegError::JpegError(int code) : std::runtime_error("JPEG error #" + std::to_string(code)), code_(code) {}

Frame DecodeAndStretch(const std::string& path) {
  const std::vector<std::uint8_t> file = files::ReadFileWhole(path, kJpegFileCap);

  jpeg_decompress_struct cinfo{};
  ErrorManager err{};
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = ExitOnError;
  err.pub.output_message = QuietMessage;
  // Everything the jump skips over is plain data or freed by jpeg_destroy_decompress.
  std::vector<std::uint8_t> line;
  Frame frame(kFrameBytes);
  std::vector<std::size_t> columns(kFrameWidth);
  if (setjmp(err.jump)) {
    const int code = err.pub.msg_code;
    jpeg_destroy_decompress(&cinfo);
    throw JpegError(code);
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, file.data(), static_cast<unsigned long>(file.size()));
  jpeg_read_header(&cinfo, TRUE);
  bool invertedCmyk = false;
  if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) {
    cinfo.out_color_space = JCS_CMYK;
    invertedCmyk = cinfo.saw_Adobe_marker;
  } else {
    cinfo.out_color_space = JCS_RGB;  // greyscale too
  }
  jpeg_start_decompress(&cinfo);
  const std::size_t width = cinfo.output_width, height = cinfo.output_height;
  const int components = cinfo.output_components;
  line.resize(width * static_cast<std::size_t>(components));
  for (std::size_t x = 0; x < columns.size(); ++x) columns[x] = Sample(x, width, kFrameWidth);

  // Decode line by line and place each source row in the output rows that sample it; a 13-megapixel photo
  // never needs to be held whole.
  std::size_t outRow = 0;  // top-down index of the next output row to fill
  while (cinfo.output_scanline < cinfo.output_height && outRow < static_cast<std::size_t>(kFrameHeight)) {
    const std::size_t srcRow = cinfo.output_scanline;
    JSAMPROW row = line.data();
    jpeg_read_scanlines(&cinfo, &row, 1);
    const std::uint8_t* first = nullptr;
    while (outRow < static_cast<std::size_t>(kFrameHeight) && Sample(outRow, height, kFrameHeight) == srcRow) {
      std::uint8_t* dst = frame.data() + (kFrameHeight - 1 - outRow) * kRowBytes;
      if (first)
        std::memcpy(dst, first, kRowBytes);
      else
        PutRow(line.data(), components, invertedCmyk, columns, dst);
      first = dst;
      ++outRow;
    }
  }
  // The rows the picture did not reach (a truncated file stops early) stay as libjpeg left the last line.
  jpeg_abort_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return frame;
}

std::array<std::uint8_t, kBmpHeaderSize> WorkFileHeader() {
  std::array<std::uint8_t, kBmpHeaderSize> h{};
  std::span<std::uint8_t> b(h);
  bytes::PutU8(b, kBmpMagicOffset, 'B');
  bytes::PutU8(b, kBmpMagicOffset + 1, 'M');
  bytes::PutU32LE(b, kBmpFileSizeOffset, static_cast<std::uint32_t>(kBmpHeaderSize + kFrameBytes));
  bytes::PutU32LE(b, kBmpPixelOffsetOffset, static_cast<std::uint32_t>(kBmpHeaderSize));
  bytes::PutU32LE(b, kBmpInfoSizeOffset, static_cast<std::uint32_t>(kBmpInfoHeaderSize));
  bytes::PutU32LE(b, kBmpWidthOffset, kFrameWidth);
  bytes::PutU32LE(b, kBmpHeightOffset, kFrameHeight);  // positive: rows bottom-up
  bytes::PutU16LE(b, kBmpPlanesOffset, 1);
  bytes::PutU16LE(b, kBmpBitCountOffset, kBmpBitsPerPixel);
  bytes::PutU32LE(b, kBmpImageSizeOffset, static_cast<std::uint32_t>(kFrameBytes));
  return h;
}

std::uint8_t DarkenFromTable(std::uint8_t v, int percent) {
  return kDarkenTable.values[static_cast<std::size_t>(std::clamp(percent, 0, kBrightnessMax))][v];
}

std::uint8_t Darken(std::uint8_t v, int percent) {
  percent = std::clamp(percent, 0, kBrightnessMax);
  if constexpr (!kLongDoubleIsExtended) return DarkenFromTable(v, percent);
  // The black frame's byte is always 0; its term is kept so the sum is formed as the picture was always made.
  const long double keep = static_cast<long double>(percent) / 100.0L;
  const long double fade = static_cast<long double>(kBrightnessMax - percent) / 100.0L;
  const long double black = 0.0L;
  return static_cast<std::uint8_t>(std::trunc(static_cast<long double>(v) * keep + black * fade));
}

void ToRawFrame(std::span<const std::uint8_t> bgr, std::span<std::uint8_t> raw) {
  bytes::Check(bgr.size(), 0, kFrameBytes);
  bytes::Check(raw.size(), 0, kFrameBytes);
  for (std::size_t r = 0; r < static_cast<std::size_t>(kFrameHeight); ++r) {
    const std::uint8_t* src = bgr.data() + r * kRowBytes;
    std::uint8_t* dst = raw.data() + (kFrameHeight - 1 - r) * kRowBytes;
    for (std::size_t c = 0; c < kRowBytes; c += 3) {
      dst[c] = src[c + 2];
      dst[c + 1] = src[c + 1];
      dst[c + 2] = src[c];
    }
  }
}

std::int32_t ParseBitrate(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  // Digits, one decimal point and an exponent; no "inf", "nan" or hexadecimal.
  if (text.empty() || !(std::isdigit(static_cast<unsigned char>(text.front())) || text.front() == '.'))
    return kBitrateWhenNotANumber;
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
  if (end != text.data() + text.size() || (ec != std::errc() && ec != std::errc::result_out_of_range))
    return kBitrateWhenNotANumber;
  if (ec == std::errc::result_out_of_range) value = value > 1 ? std::numeric_limits<double>::infinity() : 0;
  if (negative) value = -value;
  value = std::trunc(value);
  constexpr double lo = std::numeric_limits<std::int32_t>::min(), hi = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(std::clamp(value, lo, hi));
}

PictureSet::PictureSet(std::uint8_t slotFill, Encoder& encoder, std::string workFile)
    : encoder_(encoder), workFile_(std::move(workFile)), work_(kFrameBytes), raw_(kFrameBytes) {
  for (PictureKind k : kAllKinds) {
    KindState& s = state(k);
    s.source.assign(kFrameBytes, 0);
    s.slot.assign(Geometry(k).size, slotFill);
    s.output.assign(kEncoderOutputSize, 0);
  }
}

void PictureSet::WriteWorkFile(const Frame& pixels) const {
  std::vector<std::uint8_t> file(header_.begin(), header_.end());
  file.insert(file.end(), pixels.begin(), pixels.end());
  files::WriteFileWhole(workFile_, file);
}

Frame PictureSet::Load(PictureKind kind, const std::string& path) {
  Frame canvas = DecodeAndStretch(path);
  const auto header = WorkFileHeader();
  std::vector<std::uint8_t> file(header.begin(), header.end());
  file.insert(file.end(), canvas.begin(), canvas.end());
  files::WriteFileWhole(workFile_, file);

  // Read back as the picture is kept from here on: what the work file holds.
  const std::vector<std::uint8_t> back = files::ReadFileWhole(workFile_, kBmpHeaderSize + kFrameBytes);
  if (back.size() < kBmpHeaderSize + kFrameBytes)
    throw files::FileError(workFile_, EIO, "cannot read " + workFile_ + ": the work file is shorter than a picture");
  std::copy_n(back.begin(), kBmpHeaderSize, header_.begin());
  std::copy_n(back.begin() + kBmpHeaderSize, kFrameBytes, state(kind).source.begin());
  return canvas;
}

SetResult PictureSet::Set(PictureKind kind, const SetRequest& request, const std::function<bool()>& confirm,
                          const std::function<void(const Frame&)>& preview) {
  SetResult result;
  KindState& s = state(kind);
  if (request.fileNameField.empty() || header_[0] == 0) return result;

  std::array<std::uint8_t, 256> lut{};
  for (int v = 0; v < 256; ++v) lut[v] = Darken(static_cast<std::uint8_t>(v), request.brightness);
  for (std::size_t i = 0; i < kFrameBytes; ++i) work_[i] = lut[s.source[i]];

  WriteWorkFile(work_);
  if (preview) preview(work_);

  if (!confirm()) {
    result.outcome = SetOutcome::Declined;
    return result;
  }

  ToRawFrame(work_, raw_);
  result.bitrate = ParseBitrate(request.bitrateText);
  encoder_.SetBitrate(result.bitrate);
  std::int32_t length = 0;
  encoder_.Encode(raw_.data(), static_cast<std::int32_t>(kFrameBytes), s.output.data(), &length);
  s.encodedLength = length;
  result.encodedLength = length;

  const SlotGeometry g = Geometry(kind);
  // A negative length is no picture at all; it is refused like one that does not fit.
  if (length < 0 || static_cast<std::size_t>(length) >= g.limit) {
    result.outcome = SetOutcome::TooBig;
    return result;
  }
  s.setFlag = true;
  std::span<std::uint8_t> slot(s.slot);
  // The byte after the stream goes too; it still lies before the trailing marker.
  bytes::PutBytes(slot, kSlotStreamOffset, std::span<const std::uint8_t>(s.output.data(), length + 1u));
  bytes::PutU32LE(slot, kSlotLengthOffset, static_cast<std::uint32_t>(length));
  bytes::PutBytes(slot, kSlotLeadingMarkerOffset, kSlotMarker);
  bytes::PutBytes(slot, TrailingMarkerOffset(kind), kSlotMarker);
  result.outcome = SetOutcome::Success;
  return result;
}

}  // namespace orvane::pictures
