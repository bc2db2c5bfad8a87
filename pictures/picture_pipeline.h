// The picture pipeline: a JPEG becomes one MPEG-2 still frame in a fixed-size picture slot. Decode, stretch
// to 704 x 576, save and read back the work file, darken by the brightness, ask, encode at the typed bit rate,
// check the size against the slot, fill the slot.
//
// One PictureSet per window: the three kinds' slots, source pixels and set flags, and the bitmap header they
// share. The windows own their controls; this core owns every byte.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::pictures {

// Frame geometry: the only size the receiver shows.
inline constexpr int kFrameWidth = 704;
inline constexpr int kFrameHeight = 576;
inline constexpr int kBytesPerPixel = 3;
inline constexpr std::size_t kRowBytes = kFrameWidth * kBytesPerPixel;       // 2112, no padding
inline constexpr std::size_t kFrameBytes = kRowBytes * kFrameHeight;         // 1,216,512
inline constexpr std::size_t kFramePixels = std::size_t{kFrameWidth} * kFrameHeight;  // 405,504

// The work file: a 24-bit bottom-up BGR bitmap with the two standard headers.
inline constexpr const char* kWorkFileName = "tmp.bmp";
inline constexpr std::size_t kBmpFileHeaderSize = 14;
inline constexpr std::size_t kBmpInfoHeaderSize = 40;
inline constexpr std::size_t kBmpHeaderSize = kBmpFileHeaderSize + kBmpInfoHeaderSize;  // 54

// The encoder writes into a buffer of this size.
inline constexpr std::size_t kEncoderOutputSize = 131072;

// Slot layout.
inline constexpr std::size_t kSlotLeadingMarkerOffset = 0;
inline constexpr std::size_t kSlotLengthOffset = 4;
inline constexpr std::size_t kSlotStreamOffset = 8;
inline constexpr std::array<std::uint8_t, 4> kSlotMarker = {0xFF, 0xC0, 0xFF, 0xC0};

inline constexpr int kBrightnessMax = 100;
inline constexpr std::int32_t kBitrateWhenNotANumber = 3000000;

inline constexpr const char* kMsgContinue = "Continue processing ?";
inline constexpr const char* kMsgTooBig = "Too Big Compressed Size";
inline constexpr const char* kMsgSuccess = "Success";

enum class PictureKind { Opening = 0, MainMenu = 1, Radio = 2 };
inline constexpr std::array<PictureKind, 3> kAllKinds = {PictureKind::Opening, PictureKind::MainMenu,
                                                         PictureKind::Radio};

struct SlotGeometry {
  std::size_t size;   // bytes of the slot
  std::size_t limit;  // encoded lengths at or above this are refused; the trailing marker sits at 8 + limit
};
SlotGeometry Geometry(PictureKind kind);
inline std::size_t TrailingMarkerOffset(PictureKind kind) { return kSlotStreamOffset + Geometry(kind).limit; }
const char* KindName(PictureKind kind);  // "opening", "mainmenu", "radio"

// The picture image sent to the receiver: the three slots whole, Main Menu first, then Opening, then Radio.
inline constexpr std::size_t kPictureImageSize = 65536;
std::size_t PictureImageOffset(PictureKind kind);
// `slots` by kind (Opening, Main Menu, Radio); an empty span is a slot never filled and goes as zeros.
// Throws std::invalid_argument for a slot of the wrong size.
std::vector<std::uint8_t> BuildPictureImage(const std::array<std::span<const std::uint8_t>, 3>& slots);

// A JPEG the decoder could not read; what() is "JPEG error #N" with the decoder's message number.
class JpegError : public std::runtime_error {
 public:
  explicit JpegError(int code);
  int code() const { return code_; }

 private:
  int code_;
};

// One 704 x 576 picture, rows bottom-up, bytes blue, green, red: as the work file holds it.
using Frame = std::vector<std::uint8_t>;

// Decodes the JPEG at `path` and stretches it (nearest neighbour, no averaging, aspect not kept) to 704 x 576.
// Greyscale becomes RGB; CMYK and YCCK are converted to RGB. Throws JpegError, or files::FileError when the
// file cannot be read.
Frame DecodeAndStretch(const std::string& path);

// The 54 bytes of the work file's headers for a 704 x 576 24-bit picture.
std::array<std::uint8_t, kBmpHeaderSize> WorkFileHeader();

// v * (P / 100) in 80-bit extended precision, truncated; P in 0..100.
std::uint8_t Darken(std::uint8_t v, int percent);
// The same from the table the program carries for machines whose long double is not the 80-bit type.
std::uint8_t DarkenFromTable(std::uint8_t v, int percent);

// Rows flipped to top-down and bytes to red, green, blue: what the encoder takes.
void ToRawFrame(std::span<const std::uint8_t> bottomUpBgr, std::span<std::uint8_t> raw);

// The bit-rate field: a decimal number as typed (blanks around it allowed), truncated toward zero and kept
// inside the 32-bit range; anything else gives 3,000,000.
std::int32_t ParseBitrate(std::string_view text);

// The outside encoder, behind its two calls.
class Encoder {
 public:
  virtual ~Encoder() = default;
  virtual void SetBitrate(std::int32_t bitsPerSecond) = 0;
  virtual void Encode(const std::uint8_t* raw, std::int32_t rawLength, std::uint8_t* output,
                      std::int32_t* outputLength) = 0;
};

// What a Set did.
enum class SetOutcome {
  Nothing,   // no file name, or no picture loaded in this window yet
  Declined,  // "Continue processing ?" answered No
  TooBig,    // "Too Big Compressed Size"
  Success,   // the slot holds the new picture
};

struct SetRequest {
  std::string fileNameField;  // the kind's file name field
  int brightness = 0;         // the bar's position, 0..100
  std::string bitrateText;    // the kind's bitrate field
};

struct SetResult {
  SetOutcome outcome = SetOutcome::Nothing;
  std::int32_t bitrate = 0;        // what the encoder was given
  std::int32_t encodedLength = 0;  // what it returned
};

class PictureSet {
 public:
  // `slotFill`: every slot byte when the window is created (0x00 or 0xFF). `workFile`: the work file's path.
  PictureSet(std::uint8_t slotFill, Encoder& encoder, std::string workFile = kWorkFileName);

  // Load up to reading back the work file: decode, stretch, write the work file, read its header and pixels.
  // Returns the stretched picture for the full-size image and the preview. Throws JpegError or
  // files::FileError; then the kind's source pixels (and the shared header) keep what they had.
  Frame Load(PictureKind kind, const std::string& path);

  // Set. `confirm` asks "Continue processing ?"; `preview` gets the darkened picture once the work file holds
  // it. Throws files::FileError when the work file cannot be written; nothing has changed then.
  SetResult Set(PictureKind kind, const SetRequest& request, const std::function<bool()>& confirm,
                const std::function<void(const Frame& darkened)>& preview = {});

  std::span<const std::uint8_t> Slot(PictureKind kind) const { return state(kind).slot; }
  std::array<std::span<const std::uint8_t>, 3> Slots() const {
    return {Slot(PictureKind::Opening), Slot(PictureKind::MainMenu), Slot(PictureKind::Radio)};
  }
  bool SetFlag(PictureKind kind) const { return state(kind).setFlag; }
  const Frame& Source(PictureKind kind) const { return state(kind).source; }
  const std::array<std::uint8_t, kBmpHeaderSize>& Header() const { return header_; }
  const std::string& WorkFile() const { return workFile_; }

 private:
  struct KindState {
    Frame source;
    std::vector<std::uint8_t> slot;
    std::vector<std::uint8_t> output;
    std::int32_t encodedLength = 0;
    bool setFlag = false;
  };
  KindState& state(PictureKind k) { return kinds_[static_cast<std::size_t>(k)]; }
  const KindState& state(PictureKind k) const { return kinds_[static_cast<std::size_t>(k)]; }
  void WriteWorkFile(const Frame& pixels) const;

  Encoder& encoder_;
  std::string workFile_;
  std::array<std::uint8_t, kBmpHeaderSize> header_{};
  Frame work_;
  std::vector<std::uint8_t> raw_;
  std::array<KindState, 3> kinds_;
};

}  // namespace orvane::pictures
