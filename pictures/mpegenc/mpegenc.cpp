// The C face of the still-frame encoder: argument checks, the parameter file, the process-wide bit rate.
#include "pictures/mpegenc/mpegenc.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "common/file_io.h"
#include "pictures/mpegenc/encoder_settings.h"
#include "pictures/mpegenc/parameter_file.h"
#include "pictures/mpegenc/still_encoder.h"

namespace {

using orvane::mpegenc::EncoderSettings;
using orvane::mpegenc::StillEncoder;

constexpr std::size_t kParameterFileCap = 64 * 1024;
static_assert(MPEG_FRAME_LENGTH == orvane::mpegenc::kFrameBytes);

struct State {
  std::mutex mutex;
  std::optional<std::int32_t> bit_rate;
  MpegEncodeInfo last{MPEG_STATUS_NONE, 0, 0, 0, MPEG_OUTPUT_BUFFER_SIZE, 0, 0, 0, 0, 0, 0};
  bool said_missing = false;
  std::optional<std::string> text;  // the parameter file the encoder below was made from; nullopt: built in
  std::unique_ptr<StillEncoder> encoder;
};

State& TheState() {
  static State state;
  return state;
}

// The encoder for the parameter file as it is now; rebuilt only when the file changed.
StillEncoder& EncoderForFile(State& st) {
  std::optional<std::string> text;
  std::string reason;
  try {
    const std::string path = orvane::encoder::ParameterFilePath();
    try {
      const auto bytes = orvane::files::ReadFileWhole(path, kParameterFileCap);
      text.emplace(bytes.begin(), bytes.end());
    } catch (const orvane::files::FileError& e) {
      reason = e.what();
    }
  } catch (const std::exception& e) {
    reason = e.what();
  }
  if (!text && !st.said_missing) {
    std::fprintf(stderr, "MPEG-2 encoder: parameter file not read (%s); the built-in parameters are used\n",
                 reason.c_str());
    st.said_missing = true;
  }
  if (st.encoder && st.text == text) return *st.encoder;

  std::vector<std::string> notes;
  const EncoderSettings settings = text ? orvane::mpegenc::SettingsFromLines(orvane::mpegenc::SplitLines(*text), &notes)
                                        : orvane::mpegenc::BuiltInSettings();
  for (const auto& n : notes) std::fprintf(stderr, "MPEG-2 encoder: parameter file %s\n", n.c_str());
  st.encoder.reset();
  st.encoder = std::make_unique<StillEncoder>(settings);
  st.text = std::move(text);
  return *st.encoder;
}

}  // namespace

extern "C" {

void MPEGSetBitrate(int32_t bitsPerSecond) {
  State& st = TheState();
  std::lock_guard lock(st.mutex);
  st.bit_rate = bitsPerSecond;
}

void MPEGRAWBUF2ENC(const uint8_t* rawFrame, int32_t frameLength, uint8_t* output, int32_t* outputLength) {
  State& st = TheState();
  std::lock_guard lock(st.mutex);
  MpegEncodeInfo info{MPEG_STATUS_BAD_ARGUMENT, 0, 0, 0, MPEG_OUTPUT_BUFFER_SIZE, 0, 0, 0, 0, 0, 0};
  auto finish = [&](int32_t length) {
    info.length = length;
    if (outputLength) *outputLength = length;
    st.last = info;
  };
  if (!rawFrame || !output || !outputLength || frameLength != MPEG_FRAME_LENGTH) return finish(0);
  try {
    StillEncoder& encoder = EncoderForFile(st);
    info.parameters_from_file = st.text ? 1 : 0;
    const std::int64_t rate = st.bit_rate ? *st.bit_rate : static_cast<std::int64_t>(encoder.settings().bit_rate);
    encoder.SetFrame({rawFrame, static_cast<std::size_t>(MPEG_FRAME_LENGTH)});
    const auto r = encoder.EncodeToTarget(rate, MPEG_OUTPUT_BUFFER_SIZE);
    info.target = static_cast<int32_t>(r.target);
    info.bit_rate = static_cast<int32_t>(r.bit_rate);
    info.coarse_quantiser = r.coarse_q;
    info.coarse_rows = r.coarse_rows;
    info.fine_quantiser = r.fine_q;
    info.fine_rows = r.fine_rows;
    info.encodes = r.encodes;
    const auto length = static_cast<int32_t>(r.stream.size());
    if (r.stream.size() > MPEG_OUTPUT_BUFFER_SIZE) {
      info.status = MPEG_STATUS_TOO_LARGE;
      return finish(length);
    }
    std::memcpy(output, r.stream.data(), r.stream.size());
    info.status = MPEG_STATUS_OK;
    finish(length);
  } catch (...) {
    st.encoder.reset();  // rebuilt on the next call
    info.status = MPEG_STATUS_FAILED;
    finish(0);
  }
}

void MPEGGetLastEncodeInfo(MpegEncodeInfo* info) {
  if (!info) return;
  State& st = TheState();
  std::lock_guard lock(st.mutex);
  *info = st.last;
}

}  // extern "C"
