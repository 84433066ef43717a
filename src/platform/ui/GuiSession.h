// The process's application object, created on first use by code that needs the window system
// (clipboard, pointer, printers) when the program has not made one yet.
#pragma once

// Creates the application object unless one exists. Without a display the offscreen platform
// is chosen, so headless runs work.
void EnsureGuiApplication();

