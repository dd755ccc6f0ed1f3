// The command line that needs no window: "--help", and "--export OUT DOC", which draws a
// document into a picture file the way the picture commands draw the window.
#pragma once

namespace zelm {

/// Runs "--help" or "--export OUT.{png,jpg,svg,pdf,emf} DOC.mds" when the command line asks for
/// one, setting `status` to the program's exit status; false for an ordinary start.
bool RunCommandLineTool(int argc, char** argv, int& status);

} // namespace zelm
