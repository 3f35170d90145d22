#pragma once

namespace qnc {

// Call once before the QApplication of the page program is constructed (and
// only there: see qt/web/show_bubg_dlg.h). Qt WebEngine draws through an OpenGL
// context shared across the application, which Qt makes with the application
// object when Qt::AA_ShareOpenGLContexts is set before it (the engine crashes
// without one); this sets it. The context is made at start-up, whether or
// not a page is ever shown: Qt has no public way to make it later, and under
// Mesa's software driver it costs a process about 58 MB from the start
// (mostly the driver's code), which is why the window program leaves pages
// to a process of their own. The engine cannot run its sandbox for a
// process with the super-user's identity: the sandbox is switched off then, and
// only then, and with it the engine's zygote processes, so that no helper
// process outlives the page it ran. The engine itself is loaded later, with the
// first page shown (see qt/web/web_view_module.h). Does nothing in a build without
// the embedded browser.
void PrepareWebEngineBeforeApplication();

}  // namespace qnc
