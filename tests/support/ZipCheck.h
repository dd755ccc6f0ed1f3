// Zip containers judged by programs we did not write: unzip tests the container, xmllint reads
// every XML part in it.
#pragma once

#include <cstdio>
#include <sstream>
#include <string>
#include <utility>

namespace zelm::test {

/// The exit status and the output, errors included, of a shell command.
inline std::pair<int, std::string> Shell(const std::string& command) {
    std::string output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    for (int c; pipe && (c = std::fgetc(pipe)) != EOF;)
        output += char(c);
    return {pipe ? pclose(pipe) : -1, output};
}

/// What unzip finds wrong with the container at `path` and xmllint with each of its XML parts;
/// empty when all is whole.
inline std::string ZipComplaints(const std::string& path) {
    const std::string quoted = "'" + path + "'";
    if (const auto [status, output] = Shell("unzip -tq " + quoted); status != 0) return output;
    std::istringstream names(Shell("unzip -Z1 " + quoted).second);
    std::string complaints;
    for (std::string name; std::getline(names, name);) {
        if (!name.ends_with(".xml") && !name.ends_with(".rels")) continue;
        std::string pattern; // unzip reads [ and ] in a name as a wildcard
        for (const char c : name)
            pattern += c == '[' || c == ']' ? std::string("\\") + c : std::string(1, c);
        const auto [status, output] =
            Shell("unzip -p " + quoted + " '" + pattern + "' | xmllint --noout --nonet -");
        if (status != 0) complaints += name + ": " + output;
    }
    return complaints;
}

} // namespace zelm::test
