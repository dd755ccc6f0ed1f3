// A document of notes as an Office Open XML word-processing document (.docx): text lines as
// paragraphs, each formula line one Office Math equation that Word and LibreOffice Writer edit.
#pragma once

#include <vector>

#include "exchange/NotesExport.h"
#include "formula/Types.h"

namespace zelm {

/// The .docx container of `lines` handed to `write`: lines holding nothing are left out, as in
/// the other notes formats. Raises std::runtime_error when the container cannot be made.
void WriteDocx(const std::vector<NoteLine>& lines, const ByteSink& write);

/// The main part of that container, `word/document.xml`.
std::string DocxDocumentXml(const std::vector<NoteLine>& lines);

} // namespace zelm
