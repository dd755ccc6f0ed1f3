#include "files/SettingsFile.h"

#include <algorithm>

#include "files/FileIO.h"
#include "formula/Errors.h"

namespace zelm {

namespace {

constexpr std::size_t PlainTextAt = 268;

} // namespace

Bytes EncodeOpties(const TOpties& opties) {
    Bytes out = EncodeFont(opties.font);
    out.resize(OptiesSize, '\0');
    out[PlainTextAt] = opties.plainText ? 1 : 0;
    return out;
}

TOpties DecodeOpties(std::string_view bytes) {
    Bytes record(bytes.substr(0, std::min(bytes.size(), OptiesSize)));
    record.resize(OptiesSize, '\0');
    TOpties opties;
    opties.font = DecodeFont(std::string_view(record).substr(0, FontRecordSize));
    opties.plainText = record[PlainTextAt] != 0;
    return opties;
}

void ReadOpties(const std::string& path, TOpties& opties) {
    std::string bytes;
    try {
        bytes = ReadFilePrefix(path, OptiesSize);
    } catch (...) {
        opties = DecodeOpties({});
        throw;
    }
    opties = DecodeOpties(bytes);
    if (bytes.size() < OptiesSize) throw ZelmError(ReadBeyondEndMessage);
}

void WriteOpties(const std::string& path, const TOpties& opties) {
    WriteFileAtomically(path, EncodeOpties(opties));
}

} // namespace zelm
