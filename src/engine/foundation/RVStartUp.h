// The foundation's start-up: what the library registers and binds before anything uses it. The
// program's main (and every other main that links the library) calls it once, after the
// platform's RegisterPictureClasses; calling it again does nothing.
#pragma once

// The platform flags of the Unicode helpers, the engine's clipboard formats, and the drawing
// back-ends (the string-analysis entry points and the theme library).
void RegisterFoundation();
