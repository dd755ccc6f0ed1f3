// Formulas as OpenDocument: a line as a formula sub-document (what LibreOffice Math opens and
// what its clipboard carries), and whole notes as an .odt text document, each formula line an
// embedded formula with a replacement picture.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "exchange/MathTree.h"
#include "exchange/NotesExport.h"
#include "formula/Types.h"

namespace zelm {

/// The media type of a formula sub-document.
inline constexpr const char* OdfFormulaType = "application/vnd.oasis.opendocument.formula";

/// A formula's replacement picture: PNG bytes (of any resolution) and its size on the page in
/// pixels of 1/96 inch.
struct OdfPicture {
    std::string png;
    int width = 0, height = 0;
};

/// The picture of line `index` of the lines handed to WriteOdt.
using OdfPictureOf = std::function<OdfPicture(std::size_t index)>;

/// The content.xml of a formula sub-document: the line's MathML as an XML document.
std::string FormulaContent(const MathTree& tree);

/// A formula sub-document as a zip of its own (the clipboard's embedded object).
std::string FormulaPackage(const MathTree& tree);

/// The object descriptor that goes with an embedded formula on the clipboard: its class, its
/// size in 1/100 mm and its type name, little-endian as the office suite reads it.
std::string FormulaObjectDescriptor(int widthHmm, int heightHmm);

/// Pixels of 1/96 inch in 1/100 mm.
int HundredthsOfMm(int pixels);

/// The notes as an OpenDocument text: each text line a paragraph, each formula line a
/// paragraph holding one embedded formula anchored as a character, drawn by `pictureOf`'s
/// picture where a viewer has no formula editor; lines holding nothing are left out. Without
/// `pictureOf` the formulas have no replacement pictures.
void WriteOdt(const std::vector<NoteLine>& lines, const OdfPictureOf& pictureOf,
              const ByteSink& write);

} // namespace zelm
