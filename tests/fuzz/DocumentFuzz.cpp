// The document decoder, then each record it keeps loaded into a line, painted on the
// fixed-metrics canvas, saved and loaded again. A document is bounded as the program bounds it.
#include "FuzzSupport.h"

using namespace zelm;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The program refuses documents of more than this many lines before decoding them.
    constexpr std::size_t LargestDocumentLines = 20000;
    if (size > (LargestDocumentLines + 1) * LineRecordSize) return -1;
    Globals().Reset();
    EditorState().Reset();
    const DecodedDocument document =
        ReadDocumentRecords(std::string_view(reinterpret_cast<const char*>(data), size));
    // Every record is counted, a cut-off one too; each kept one re-encodes to itself.
    if (document.records != (size + LineRecordSize - 1) / LineRecordSize ||
        document.lines.size() > size / LineRecordSize)
        std::abort();
    test::FixedCanvas canvas;
    for (const TLineRecord& record : document.lines) {
        if (!CanBeLine(record) || DecodeLine(EncodeLine(record)) != record) std::abort();
        MathLine line(canvas, 300);
        line.Selstart = line.Seleinde = line.CaretPos = 1;
        // A line whose repairs gave up is kept, and the load goes on with the next one.
        fuzz::LoadRecord(line, record);
        fuzz::CheckLine(line);
        fuzz::Paint(line);
        fuzz::CheckReloadsEqual(line);
    }
    return 0;
}
