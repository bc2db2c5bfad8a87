// The program's one rule for text that should be a whole number: leading blanks (space, tab), an optional sign,
// then decimal digits only, within 32 bits. Callers decide what a failure means (a default, or the message).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvane::text {

std::optional<std::int32_t> ParseDecimal(std::string_view text);

// "'<text>' is not a valid integer value", the runtime's message for text that is no number.
std::string NotAnIntegerMessage(std::string_view text);

}  // namespace orvane::text
