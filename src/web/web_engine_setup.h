#pragma once

namespace qnc {

// Call once before the QApplication is constructed. Qt WebEngine cannot run
// its sandbox for a process with the super-user's identity: the sandbox is
// switched off then, and only then. The engine itself is loaded later, with
// the first page shown (see web/web_view_module.h); it needs nothing else set
// up front. Does nothing in a build without the embedded browser.
void PrepareWebEngineBeforeApplication();

}  // namespace qnc
