#include "channeldb/korva_internal.h"

namespace korva {
namespace {
#include "channeldb/data/default_database.inc"
}  // namespace

std::span<const DefaultSatelliteRow> DefaultSatelliteTable() { return kDefaultSatelliteRows; }
std::span<const DefaultTransponder> DefaultTransponders() { return kDefaultTransponders; }

}  // namespace korva
