// Any bytes as a database image file: loading it and turning the buffers into the editing model must stay
// inside every buffer.
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "channeldb/korva_internal.h"
#include "channeldb/records.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static auto image = std::make_unique<SatelliteImage>();
  static auto names = std::make_unique<SatelliteNameTable>();
  static auto channels = std::make_unique<ChannelTable>();
  static auto db = std::make_unique<DATABASESATELLITETABLE>();
  korva::LoadBytes({data, size}, image->bytes.data(), names->bytes.data(), channels->bytes.data());
  ImageToModel(*image, *names, *channels, *db);
  return 0;
}
