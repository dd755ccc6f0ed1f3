// LaTeX pasted into a line: any bytes read as LaTeX and put in at the selection.
#include "PasteFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zelm::fuzz::PasteEachPiece(data, size, zelm::ReadLatex);
    return 0;
}
