// One 704 x 576 RGB frame to an MPEG-2 video stream of one intra frame, on libavcodec's mpeg2video.
//
// Rate: libavcodec's rate control gives a lone intra frame the same size whatever the bit rate, so the size is
// reached here instead. Each encode uses one fixed quantiser_scale_code; the size falls as the code rises, so a
// search finds the finest code whose stream fits the target. Every macroblock row is a slice and intra slices
// stand alone, so the rows of the next finer code's stream are then spliced in, spread over the picture, for
// as long as the whole still fits: the result sits between the two codes, much closer to the target than
// either.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "pictures/mpegenc/encoder_settings.h"

namespace orvane::mpegenc {

inline constexpr int kMinQuantiser = 1;
inline constexpr int kMaxQuantiser = 31;
inline constexpr int kRows = kHeight / 16;  // macroblock rows, one slice each

// The bit rate the encoder can write and libavcodec accepts: at least 400 bit/s (one unit of the header
// field, 0 is forbidden) and at most one VBV buffer per frame.
std::int64_t ClampBitRate(std::int64_t requested, const EncoderSettings& settings);

// Bytes of one frame's share of the stream at `bit_rate`, no more than the VBV buffer holds.
std::int64_t TargetBytes(std::int64_t bit_rate, const EncoderSettings& settings);

struct StillResult {
  std::vector<std::uint8_t> stream;  // ends with a sequence_end_code
  std::int64_t bit_rate = 0;         // as clamped and written in the sequence header
  std::int64_t target = 0;           // bytes aimed at
  int coarse_q = 0;                  // quantiser_scale_code of most rows
  int coarse_rows = 0;
  int fine_q = 0;  // the next finer code, in `fine_rows` rows (0 and 0 when one code serves the frame)
  int fine_rows = 0;
  int encodes = 0;  // libavcodec encodes run
};

class StillEncoder {
 public:
  // Throws std::runtime_error when libavcodec or libswscale refuse the settings.
  explicit StillEncoder(const EncoderSettings& settings);
  ~StillEncoder();
  StillEncoder(const StillEncoder&) = delete;
  StillEncoder& operator=(const StillEncoder&) = delete;

  // Converts the frame (rows top-down, R G B) to the coded colour space. Must come before an encode.
  void SetFrame(std::span<const std::uint8_t> rgb);

  // The whole frame at one quantiser_scale_code (1..31), with the end code.
  std::vector<std::uint8_t> EncodeAt(int q, std::int64_t bit_rate);

  // The stream closest to `target` bytes from below that is no longer than `capacity`; when even code 31 is
  // larger than the target, the code-31 stream (its size may then exceed `capacity`: the caller must check).
  StillResult EncodeToTarget(std::int64_t bit_rate, std::int64_t capacity);

  const EncoderSettings& settings() const { return settings_; }

 private:
  struct Impl;
  EncoderSettings settings_;
  Impl* impl_;
};

// Start offsets of the slices of a stream (bytes 00 00 01 01..AF) and the end of the last one.
std::vector<std::size_t> SliceOffsets(std::span<const std::uint8_t> stream);

}  // namespace orvane::mpegenc
