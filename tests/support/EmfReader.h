// Reads an enhanced metafile back record by record, for tests of the metafile canvas and of the
// pictures written with it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zelm::test {

/// One record: its type, its declared size and its bytes (the whole record).
struct EmfRecordBytes {
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    std::string bytes;
};

inline std::uint32_t U32At(const std::string& b, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | (unsigned char)b.at(at + std::size_t(i));
    return v;
}
inline int I32At(const std::string& b, std::size_t at) {
    return int(U32At(b, at));
}

/// The records of `file` in order; stops at a record whose size does not fit the file (the
/// caller checks that the last record read is the end record).
inline std::vector<EmfRecordBytes> EmfRecords(const std::string& file) {
    std::vector<EmfRecordBytes> out;
    std::size_t at = 0;
    while (at + 8 <= file.size()) {
        const std::uint32_t type = U32At(file, at);
        const std::uint32_t size = U32At(file, at + 4);
        if (size < 8 || at + size > file.size()) break;
        out.push_back({type, size, file.substr(at, size)});
        at += size;
    }
    return out;
}

/// The characters of an EXTTEXTOUTW record, each UTF-16 unit as one char (tests use
/// characters below 256).
inline std::string EmfTextOf(const EmfRecordBytes& r) {
    const std::uint32_t chars = U32At(r.bytes, 44);
    const std::uint32_t offString = U32At(r.bytes, 48);
    std::string s;
    for (std::uint32_t i = 0; i < chars; ++i)
        s += char(r.bytes.at(offString + 2 * i));
    return s;
}

/// The character advances of an EXTTEXTOUTW record.
inline std::vector<int> EmfAdvancesOf(const EmfRecordBytes& r) {
    const std::uint32_t chars = U32At(r.bytes, 44);
    const std::uint32_t offDx = U32At(r.bytes, 72);
    std::vector<int> dx;
    for (std::uint32_t i = 0; i < chars; ++i)
        dx.push_back(I32At(r.bytes, offDx + 4 * i));
    return dx;
}

} // namespace zelm::test
