#include "pictures/library_encoder.h"

#include "pictures/mpegenc/mpegenc.h"

namespace orvane::pictures {

namespace {

class LibraryEncoder : public Encoder {
 public:
  void SetBitrate(std::int32_t bitsPerSecond) override { MPEGSetBitrate(bitsPerSecond); }
  void Encode(const std::uint8_t* raw, std::int32_t rawLength, std::uint8_t* output,
              std::int32_t* outputLength) override {
    MPEGRAWBUF2ENC(raw, rawLength, output, outputLength);
  }
};

}  // namespace

std::unique_ptr<Encoder> MakeLibraryEncoder() { return std::make_unique<LibraryEncoder>(); }

}  // namespace orvane::pictures
