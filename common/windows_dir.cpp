#include "common/windows_dir.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace orvane::platform {

std::string WindowsDirectory() {
  std::filesystem::path dir;
  if (const char* w = std::getenv("ORVANE_WINDIR"); w && *w) {
    dir = w;
  } else if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x) {
    dir = std::filesystem::path(x) / "orvane";
  } else {
    const char* home = std::getenv("HOME");
    dir = std::filesystem::path(home && *home ? home : ".") / ".config" / "orvane";
  }
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) throw std::system_error(ec, dir.string());
  return dir.string();
}

}  // namespace orvane::platform
