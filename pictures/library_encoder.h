// The pipeline's Encoder on the encoder library's two C calls.
#pragma once

#include <memory>

#include "pictures/picture_pipeline.h"

namespace orvane::pictures {

std::unique_ptr<Encoder> MakeLibraryEncoder();

}  // namespace orvane::pictures
