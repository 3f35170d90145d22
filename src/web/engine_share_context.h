#pragma once

namespace qnc::web {

// Qt WebEngine draws through an OpenGL context shared across the application,
// Qt's global share context, and needs one before it creates its first view
// (Qt WebEngine 6.4 crashes without it). Qt makes that context when the
// application object is built with Qt::AA_ShareOpenGLContexts, which the
// engine asks for as soon as a program links it; but on Mesa the context
// costs tens of megabytes from start-up on. The engine is loaded only with the
// first page shown, so the context is made then, as Qt would make it: this
// does that, once, before the engine loads. Where no OpenGL context can be
// made (the offscreen platform, for one) the engine draws in software.
//
// GUI thread, once the application object exists. Released with the
// application object.
void ProvideEngineShareContext();

}  // namespace qnc::web
