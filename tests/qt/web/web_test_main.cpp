// Start-up for the browser tests: one QApplication for the whole run, prepared
// the way the program prepares it, with a browser that talks to nothing but
// the test's own server on 127.0.0.1.
#include <gtest/gtest.h>

#include <QApplication>

#include "qt/web/web_engine_setup.h"

// Qt WebEngine's bundled Chromium is not built for the sanitizers: it frees
// some of its own objects through a base type of another size, it and the
// system libraries it drives (font configuration, device enumeration) keep
// allocations until the process ends, and its threads synchronise, also
// through Qt's implicitly shared strings, with atomics that ThreadSanitizer
// cannot see in the uninstrumented Qt libraries. The page window itself runs
// on the GUI thread only, so nothing of ours is hidden; these settings keep
// the sanitizers' findings to this program's code.
extern "C" __attribute__((visibility("default"), used)) const char* __asan_default_options() {
  return "new_delete_type_mismatch=0";
}
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
  return "leak:libQt6WebEngineCore.so\n"
         "leak:libfontconfig.so\n"
         "leak:libudev.so\n";
}

extern "C" __attribute__((visibility("default"), used)) const char* __tsan_default_suppressions() {
  return "race:libQt6WebEngineCore.so\n"
         "race:libQt6Core.so\n"
         "race:libevent-2.1.so\n"
         "race:libudev.so\n"
         "called_from_lib:libQt6WebEngineCore.so\n";
}

int main(int argc, char** argv) {
  // No background requests, updates or first-run fetches from the browser.
  // (Flags already in the environment are kept, after these.)
  qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-background-networking --disable-component-update --no-first-run " +
                                            qgetenv("QTWEBENGINE_CHROMIUM_FLAGS"));
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qnc::PrepareWebEngineBeforeApplication();
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
