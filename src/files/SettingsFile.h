// The settings file "Instellingen.ops" in the recovery folder: one 272-byte record holding the
// font for new lines (a font record as the document file has it) and their mode.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "files/DocumentCodec.h"

namespace zelm {

/// Size in bytes of the settings record.
constexpr std::size_t OptiesSize = 272;

/// The settings: the font for new lines and their mode.
struct TOpties {
    TFontRecord font;
    bool plainText = false; ///< byte 268: 1 "Eenvoudige Text", 0 "Wiskundige Invoer"
    bool operator==(const TOpties&) const = default;
};

/// The 272 bytes of the settings file; padding is written as zeros.
Bytes EncodeOpties(const TOpties& opties);
/// Reads the first 272 bytes; what is missing of a shorter input reads as zeros.
TOpties DecodeOpties(std::string_view bytes);

/// The name of the settings file inside the recovery folder.
inline constexpr const char* OptiesFileName = "Instellingen.ops";

/// Reads the settings file at `path` into `opties`. A file that cannot be read leaves them
/// zero-filled and raises its error; a file shorter than the record gives what it holds, the
/// rest zero, and raises "Read beyond end of file". Whatever follows the record is never read.
void ReadOpties(const std::string& path, TOpties& opties);
/// Replaces the settings file at `path` atomically.
void WriteOpties(const std::string& path, const TOpties& opties);

} // namespace zelm
