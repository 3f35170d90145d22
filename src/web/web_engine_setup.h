#pragma once

namespace qnc {

// Call once before the QApplication is constructed. Qt WebEngine needs
// OpenGL contexts shared across the application, and cannot run its sandbox
// for a process with the super-user's identity: the sandbox is switched off
// then, and only then. Does nothing in a build without the embedded browser.
void PrepareWebEngineBeforeApplication();

}  // namespace qnc
