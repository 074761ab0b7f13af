#pragma once

// What must be settled before the application object is made: the window is laid
// out in pixels and not rescaled for the screen's density, and the web pane shares
// OpenGL contexts with the window.
void PrepareApplication();
