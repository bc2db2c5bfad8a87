// Include once per window test binary. Under ThreadSanitizer: Qt Gui runs work of its own on pooled threads, and
// Qt is not instrumented, so races among Qt's own threads are reported that are not ours. The serial component
// and the engine are checked without any suppression in serial_tests and transfer_tests. (Unused in other
// builds.)
#pragma once

extern "C" const char* __tsan_default_suppressions() {
  return "race:libQt6Gui.so\nrace:libQt6Core.so\nrace:QRunnable\nrace:QThreadPool\n";
}
