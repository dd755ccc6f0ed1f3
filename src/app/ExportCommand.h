// The command line that needs no window: "--help", "--version", and "--export OUT DOC", which
// draws a document into a picture file the way the picture commands draw the window, at a
// chosen scale, or writes its notes as LaTeX, HTML, Markdown, MathML or PDF pages.
#pragma once

namespace zelm {

/// Runs "--help", "--version", "--export OUT.{png,jpg,svg,pdf,emf,tex,html,md,mml} DOC.mds"
/// (with "--scale N" or "--dpi N") or "--export OUT.pdf --pages DOC.mds" when the command line
/// asks for one, its options in any order, setting `status` to the program's exit status; false
/// for an ordinary start.
bool RunCommandLineTool(int argc, char** argv, int& status);

} // namespace zelm
