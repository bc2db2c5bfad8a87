#include "pictures/mpegenc/still_encoder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <map>
#include <numeric>
#include <stdexcept>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace orvane::mpegenc {
namespace {

constexpr std::array<std::uint8_t, 4> kSequenceEndCode = {0x00, 0x00, 0x01, 0xB7};

// quantiser_scale for each quantiser_scale_code of the non-linear table.
constexpr std::array<int, 32> kNonLinearScale = {0,  1,  2,  3,  4,  5,  6,  7,  8,  10, 12,  14,  16,  18, 20,  22,
                                                 24, 28, 32, 36, 40, 44, 48, 52, 56, 64, 72, 80, 88, 96, 104, 112};

std::string AvError(const char* what, int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return std::string("MPEG-2 encoder: ") + what + ": " + text;
}

int SwsColourspace(int matrix_coefficients) {
  switch (matrix_coefficients) {
    case 1: return SWS_CS_ITU709;
    case 4: return SWS_CS_FCC;
    case 7: return SWS_CS_SMPTE240M;
    case 9:
    case 10: return SWS_CS_BT2020;
    default: return SWS_CS_ITU601;  // 5, 6 and anything libswscale has no table for
  }
}

AVRational SampleAspect(int aspect_ratio_information) {
  // The display rectangle of a 704 x 576 frame shown at the coded display aspect.
  switch (aspect_ratio_information) {
    case 1: return {1, 1};
    case 3: return {16 * kHeight, 9 * kWidth};
    case 4: return {221 * kHeight, 100 * kWidth};
    default: return {4 * kHeight, 3 * kWidth};
  }
}

// Rows in an order that spreads any prefix of it evenly over the picture.
std::array<int, kRows> SpreadOrder() {
  std::array<int, kRows> rows{};
  std::iota(rows.begin(), rows.end(), 0);
  auto key = [](int r) { return std::fmod((r + 0.5) * 0.6180339887498949, 1.0); };
  std::sort(rows.begin(), rows.end(), [&](int a, int b) { return key(a) < key(b); });
  return rows;
}

}  // namespace

std::int64_t ClampBitRate(std::int64_t requested, const EncoderSettings& settings) {
  const Rational fr = FrameRate(settings.frame_rate_code);
  // libavcodec refuses a rate whose frame share exceeds the VBV buffer.
  const std::int64_t most = static_cast<std::int64_t>(settings.vbv_buffer_size) * kVbvUnitBits * fr.num / fr.den;
  return std::clamp<std::int64_t>(requested, 400, most);
}

std::int64_t TargetBytes(std::int64_t bit_rate, const EncoderSettings& settings) {
  const Rational fr = FrameRate(settings.frame_rate_code);
  const std::int64_t share = bit_rate * fr.den / (static_cast<std::int64_t>(fr.num) * 8);
  return std::min<std::int64_t>(share, static_cast<std::int64_t>(settings.vbv_buffer_size) * kVbvUnitBits / 8);
}

std::vector<std::size_t> SliceOffsets(std::span<const std::uint8_t> stream) {
  std::vector<std::size_t> offsets;
  std::size_t end = stream.size();
  for (std::size_t i = 0; i + 3 < stream.size(); ++i) {
    if (stream[i] != 0 || stream[i + 1] != 0 || stream[i + 2] != 1) continue;
    const std::uint8_t code = stream[i + 3];
    if (code >= 0x01 && code <= 0xAF) {
      offsets.push_back(i);
    } else if (!offsets.empty()) {
      end = i;  // the first start code after the slices ends them
      break;
    }
  }
  offsets.push_back(end);
  return offsets;
}

struct StillEncoder::Impl {
  const AVCodec* codec = nullptr;
  AVFrame* frame = nullptr;
  SwsContext* sws = nullptr;
  std::vector<std::uint16_t> intra_matrix;
  std::vector<std::uint16_t> inter_matrix;
  bool has_frame = false;

  ~Impl() {
    av_frame_free(&frame);
    sws_freeContext(sws);
  }
};

StillEncoder::StillEncoder(const EncoderSettings& settings) : settings_(settings), impl_(new Impl) {
  try {
    impl_->codec = avcodec_find_encoder(AV_CODEC_ID_MPEG2VIDEO);
    if (!impl_->codec) throw std::runtime_error("MPEG-2 encoder: libavcodec has no mpeg2video encoder");
    const AVPixelFormat format = settings_.chroma_format == 2 ? AV_PIX_FMT_YUV422P : AV_PIX_FMT_YUV420P;
    impl_->frame = av_frame_alloc();
    if (!impl_->frame) throw std::bad_alloc();
    impl_->frame->format = format;
    impl_->frame->width = kWidth;
    impl_->frame->height = kHeight;
    if (const int e = av_frame_get_buffer(impl_->frame, 0); e < 0) throw std::runtime_error(AvError("frame", e));

    // The display size travels to the sequence display extension as a pan-scan rectangle (1/16 pel units).
    AVFrameSideData* side = av_frame_new_side_data(impl_->frame, AV_FRAME_DATA_PANSCAN, sizeof(AVPanScan));
    if (!side) throw std::bad_alloc();
    AVPanScan pan{};
    pan.width = settings_.display_horizontal_size * 16;
    pan.height = settings_.display_vertical_size * 16;
    std::memcpy(side->data, &pan, sizeof pan);

    impl_->sws = sws_getContext(kWidth, kHeight, AV_PIX_FMT_RGB24, kWidth, kHeight, format,
                                SWS_BILINEAR | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INP, nullptr, nullptr, nullptr);
    if (!impl_->sws) throw std::runtime_error("MPEG-2 encoder: libswscale refused the conversion");
    const int* coefficients = sws_getCoefficients(SwsColourspace(settings_.matrix_coefficients));
    // Full-range RGB in, studio range (16-235 / 16-240) out.
    sws_setColorspaceDetails(impl_->sws, coefficients, 1, coefficients, 0, 0, 1 << 16, 1 << 16);

    auto matrix = [](const std::string& name, std::vector<std::uint16_t>& out) {
      if (name == "-") return;
      if (auto m = ReadQuantMatrix(name)) out = std::move(*m);
    };
    matrix(settings_.intra_matrix_file, impl_->intra_matrix);
    matrix(settings_.non_intra_matrix_file, impl_->inter_matrix);
  } catch (...) {
    delete impl_;
    throw;
  }
}

StillEncoder::~StillEncoder() { delete impl_; }

void StillEncoder::SetFrame(std::span<const std::uint8_t> rgb) {
  if (rgb.size() != static_cast<std::size_t>(kFrameBytes)) throw std::invalid_argument("frame of the wrong size");
  if (const int e = av_frame_make_writable(impl_->frame); e < 0) throw std::runtime_error(AvError("frame", e));
  const std::uint8_t* src[1] = {rgb.data()};
  const int src_stride[1] = {kWidth * 3};
  sws_scale(impl_->sws, src, src_stride, 0, kHeight, impl_->frame->data, impl_->frame->linesize);
  impl_->has_frame = true;
}

std::vector<std::uint8_t> StillEncoder::EncodeAt(int q, std::int64_t bit_rate) {
  if (!impl_->has_frame) throw std::logic_error("no frame set");
  q = std::clamp(q, kMinQuantiser, kMaxQuantiser);
  const EncoderSettings& s = settings_;
  const Rational fr = FrameRate(s.frame_rate_code);
  const std::int64_t rate = ClampBitRate(bit_rate, s);

  // A fresh context per encode: rate-control and picture-number state must not carry over.
  AVCodecContext* c = avcodec_alloc_context3(impl_->codec);
  if (!c) throw std::bad_alloc();
  struct Free {
    AVCodecContext** c;
    AVDictionary** d;
    AVPacket** p;
    ~Free() {
      avcodec_free_context(c);
      av_dict_free(d);
      av_packet_free(p);
    }
  };
  AVDictionary* options = nullptr;
  AVPacket* packet = av_packet_alloc();
  Free free_all{&c, &options, &packet};
  if (!packet) throw std::bad_alloc();

  // libavcodec's own notes (the VBR vbv_delay warning on every open) would reach stderr at each encode.
  c->log_level_offset = 24;
  c->width = kWidth;
  c->height = kHeight;
  c->pix_fmt = static_cast<AVPixelFormat>(impl_->frame->format);
  c->time_base = {fr.den, fr.num};
  c->framerate = {fr.num, fr.den};
  c->sample_aspect_ratio = SampleAspect(s.aspect_ratio_information);
  c->gop_size = s.gop_size;
  c->max_b_frames = s.low_delay ? 0 : s.ip_distance - 1;
  c->profile = s.profile;
  c->level = s.level;
  c->flags |= AV_CODEC_FLAG_QSCALE | AV_CODEC_FLAG_CLOSED_GOP;
  if (!s.progressive_sequence) c->flags |= AV_CODEC_FLAG_INTERLACED_DCT;
  if (s.low_delay) c->flags |= AV_CODEC_FLAG_LOW_DELAY;
  c->global_quality = q * FF_QP2LAMBDA;
  c->qmin = 1;
  c->qmax = s.q_scale_type ? 28 : 31;  // libavcodec opens the non-linear scale only up to 28
  c->bit_rate = rate;
  c->rc_max_rate = rate;
  c->rc_buffer_size = static_cast<int>(std::min<std::int64_t>(
      static_cast<std::int64_t>(s.vbv_buffer_size) * kVbvUnitBits, std::numeric_limits<int>::max()));
  c->rc_initial_buffer_occupancy = c->rc_buffer_size;
  c->intra_dc_precision = s.intra_dc_precision;
  c->color_primaries = static_cast<AVColorPrimaries>(s.colour_primaries);
  c->color_trc = static_cast<AVColorTransferCharacteristic>(s.transfer_characteristics);
  c->colorspace = static_cast<AVColorSpace>(s.matrix_coefficients);
  c->color_range = AVCOL_RANGE_MPEG;
  c->thread_count = 1;
  if (!impl_->intra_matrix.empty()) {
    c->intra_matrix = static_cast<std::uint16_t*>(av_memdup(impl_->intra_matrix.data(), 64 * sizeof(std::uint16_t)));
    if (!c->intra_matrix) throw std::bad_alloc();
  }
  if (!impl_->inter_matrix.empty()) {
    c->inter_matrix = static_cast<std::uint16_t*>(av_memdup(impl_->inter_matrix.data(), 64 * sizeof(std::uint16_t)));
    if (!c->inter_matrix) throw std::bad_alloc();
  }
  av_dict_set_int(&options, "non_linear_quant", s.q_scale_type, 0);
  av_dict_set_int(&options, "intra_vlc", s.intra_vlc_format, 0);
  av_dict_set_int(&options, "alternate_scan", s.alternate_scan, 0);
  av_dict_set_int(&options, "video_format", s.video_format, 0);
  av_dict_set_int(&options, "seq_disp_ext", 1, 0);
  av_dict_set(&options, "gop_timecode", s.timecode.c_str(), 0);
  av_dict_set_int(&options, "sc_threshold", 1000000000, 0);  // a closed GOP must not cut at scene changes
  // The quantiser is fixed: the VBV re-encode must never change it behind the search's back.
  av_dict_set_int(&options, "lmin", FF_QP2LAMBDA, 0);
  av_dict_set_int(&options, "lmax", q * FF_QP2LAMBDA, 0);

  if (const int e = avcodec_open2(c, impl_->codec, &options); e < 0) throw std::runtime_error(AvError("open", e));
  // The coarse end of the non-linear scale (codes 29..31) is coded like any other once the encoder is open; its
  // own VBV re-encode goes there too.
  c->qmax = 31;

  impl_->frame->pts = 0;
  impl_->frame->pict_type = AV_PICTURE_TYPE_I;
  impl_->frame->quality = q * FF_QP2LAMBDA;
  impl_->frame->interlaced_frame = !s.progressive_sequence;
  impl_->frame->top_field_first = s.top_field_first;
  if (const int e = avcodec_send_frame(c, impl_->frame); e < 0) throw std::runtime_error(AvError("encode", e));
  if (const int e = avcodec_send_frame(c, nullptr); e < 0) throw std::runtime_error(AvError("flush", e));

  std::vector<std::uint8_t> stream;
  for (;;) {
    const int e = avcodec_receive_packet(c, packet);
    if (e == AVERROR_EOF) break;
    if (e < 0) throw std::runtime_error(AvError("encode", e));
    stream.insert(stream.end(), packet->data, packet->data + packet->size);
    av_packet_unref(packet);
  }
  // libavcodec leaves the sequence open.
  stream.insert(stream.end(), kSequenceEndCode.begin(), kSequenceEndCode.end());
  return stream;
}

StillResult StillEncoder::EncodeToTarget(std::int64_t bit_rate, std::int64_t capacity) {
  StillResult result;
  result.bit_rate = ClampBitRate(bit_rate, settings_);
  result.target = std::min(TargetBytes(result.bit_rate, settings_), capacity);
  const std::int64_t target = result.target;

  std::map<int, std::vector<std::uint8_t>> coded;
  auto size_at = [&](int q) -> std::int64_t {
    auto it = coded.find(q);
    if (it == coded.end()) {
      it = coded.emplace(q, EncodeAt(q, result.bit_rate)).first;
      ++result.encodes;
    }
    return static_cast<std::int64_t>(it->second.size());
  };
  auto scale = [&](int q) { return settings_.q_scale_type ? kNonLinearScale[static_cast<std::size_t>(q)] : 2 * q; };
  // The code whose scale is nearest (in ratio) to `wanted`, not below it.
  auto code_for = [&](double wanted) {
    for (int q = kMinQuantiser; q <= kMaxQuantiser; ++q)
      if (scale(q) >= wanted) return q;
    return kMaxQuantiser;
  };

  // lo: the coarsest code known to be too large; hi: the finest code known to fit.
  int lo = kMinQuantiser - 1;
  int hi = kMaxQuantiser + 1;
  int q = code_for(16);  // a middle scale to begin with; the size model then leads
  int previous = 0;
  while (hi - lo > 1) {
    const std::int64_t bytes = size_at(q);
    (bytes <= target ? hi : lo) = q;
    if (hi - lo <= 1) break;
    // Size falls roughly as a power of the scale: aim at the scale that would give the target, with the
    // exponent measured between the last two encodes (1 until there are two).
    double exponent = 1.0;
    if (previous != 0) {
      const double r = std::log(static_cast<double>(coded[previous].size()) / static_cast<double>(bytes));
      exponent = std::clamp(r / std::log(static_cast<double>(scale(q)) / scale(previous)), 0.3, 3.0);
    }
    const double wanted =
        scale(q) * std::pow(static_cast<double>(bytes) / static_cast<double>(std::max<std::int64_t>(target, 1)),
                            1.0 / exponent);
    previous = q;
    // The boundary should lie just below that code; every code tried so far is at or outside the bracket.
    q = std::clamp(code_for(wanted), lo + 1, hi - 1);
  }

  if (hi > kMaxQuantiser) {  // even the coarsest code is larger than the target
    result.stream = std::move(coded[kMaxQuantiser]);
    result.coarse_q = kMaxQuantiser;
    result.coarse_rows = kRows;
    return result;
  }
  std::vector<std::uint8_t>& coarse = coded[hi];
  result.coarse_q = hi;
  result.coarse_rows = kRows;
  if (lo < kMinQuantiser) {  // the finest code fits
    result.stream = std::move(coarse);
    return result;
  }

  const std::vector<std::uint8_t>& fine = coded[lo];
  const auto cs = SliceOffsets(coarse);
  const auto fs = SliceOffsets(fine);
  const bool same_headers = cs.size() == kRows + 1 && fs.size() == kRows + 1 && cs[0] == fs[0] &&
                            std::equal(coarse.begin(), coarse.begin() + static_cast<std::ptrdiff_t>(cs[0]),
                                       fine.begin()) &&
                            coarse.size() - cs[kRows] == fine.size() - fs[kRows];
  if (!same_headers) {
    result.stream = std::move(coarse);
    return result;
  }
  std::array<bool, kRows> use_fine{};
  std::int64_t total = static_cast<std::int64_t>(coarse.size());
  for (int row : SpreadOrder()) {
    const auto r = static_cast<std::size_t>(row);
    const std::int64_t grow = static_cast<std::int64_t>(fs[r + 1] - fs[r]) - static_cast<std::int64_t>(cs[r + 1] - cs[r]);
    if (total + grow > target) continue;
    use_fine[r] = true;
    total += grow;
    ++result.fine_rows;
  }
  std::vector<std::uint8_t> out;
  out.reserve(static_cast<std::size_t>(total));
  out.insert(out.end(), coarse.begin(), coarse.begin() + static_cast<std::ptrdiff_t>(cs[0]));
  for (std::size_t r = 0; r < kRows; ++r) {
    const auto& from = use_fine[r] ? fine : coarse;
    const auto& at = use_fine[r] ? fs : cs;
    out.insert(out.end(), from.begin() + static_cast<std::ptrdiff_t>(at[r]),
               from.begin() + static_cast<std::ptrdiff_t>(at[r + 1]));
  }
  out.insert(out.end(), coarse.begin() + static_cast<std::ptrdiff_t>(cs[kRows]), coarse.end());
  result.stream = std::move(out);
  if (result.fine_rows > 0) {
    result.fine_q = lo;
    result.coarse_rows = kRows - result.fine_rows;
  }
  return result;
}

}  // namespace orvane::mpegenc
