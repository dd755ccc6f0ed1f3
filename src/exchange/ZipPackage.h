// The zip container of the office formats (.odt, .docx and LibreOffice's embedded formula):
// parts in the order they were added, each stored or compressed, written with libzip.
#pragma once

#include <string>
#include <vector>

#include "formula/Types.h"

namespace zelm {

class ZipPackage {
public:
    /// A part kept as it is: ODF's "mimetype", which must come first and uncompressed, and
    /// pictures that are compressed already.
    void AddStored(std::string name, std::string data);
    /// A part compressed with deflate: the XML parts.
    void Add(std::string name, std::string data);

    /// The whole container. Raises std::runtime_error when libzip fails.
    std::string Bytes() const;
    /// The whole container handed to `write`.
    void WriteTo(const ByteSink& write) const;

private:
    struct Part {
        std::string name;
        std::string data;
        bool stored = false;
    };
    std::vector<Part> parts_;
};

} // namespace zelm
