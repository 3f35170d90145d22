// What the leak and thread checkers must not blame on this project in a Qt
// test program. Added to every Qt test executable as a source of its own (the
// checkers look these functions up in the program).

// Fontconfig, loaded through Qt, keeps caches until the process ends; leak
// checking builds would report them as ours. So do, on a real X display, the
// desktop bus library (Qt's bus thread) and Mesa's GLX driver (the shared
// OpenGL context that the embedded browser asks for at start-up).
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n"
         "leak:libdbus-1.so\n"
         "leak:libGLX_mesa.so\n";
}

// Qt is not built for thread checking: its own synchronisation (its pooled
// image-conversion threads, its event queue) is invisible, so the memory calls
// it makes (allocation, copies) look racy. They are ignored; every access that
// the project's own code makes is still checked.
extern "C" const char* __tsan_default_suppressions() {
  return "called_from_lib:libQt6Core.so.6\n"
         "called_from_lib:libQt6Gui.so.6\n"
         "called_from_lib:libQt6Widgets.so.6\n";
}
