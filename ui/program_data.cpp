#include "ui/program_data.h"

namespace orvane::ui {

ProgramData& Program() {
  static ProgramData data;
  return data;
}

}  // namespace orvane::ui
