#pragma once
// The calls of the core and the geometry that the renderer answers, installed in one
// place:
//
//   hook (declared in)                          installed answer (defined in)
//   SetSuspendOpenGLHook (core/Messages)        a message box closes the open GL sections
//                                               and reopens them after (render/GLSection)
//   InstallFaceImageTextures (core/FaceImageRef) the pictures of face images, as textures
//                                               (render/FaceImageTexturing)
//   SetModelFileImageMaker (files/ModelFile)    NewFaceImage: a model file's face images
//                                               load their pictures (render/FaceImageTexturing)
//   SetDrawingContextQuery (core/Progress)      whether a pane draws now: no progress window
//                                               opens then, and long work a drawing asks for
//                                               is left for later (render/OpenGLView)
//
// The program installs them at start (app/StartUp). Every OpenGLView's constructor
// installs them too, so that panes made without the program (the tests, the
// benchmarks) have them. They stay for the life of the process: a face image that
// outlives the panes still gives its picture back.

namespace corvia {

// Installs the four hooks; calling it again installs the same ones.
void InstallRenderHooks();

}  // namespace corvia
