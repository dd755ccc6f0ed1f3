// The XML of a pasted MathML formula: a small reader of its own (elements, attributes, text,
// character and the common named entities; declarations, comments and processing
// instructions skipped), nesting bounded.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zelm::mathml {

struct XmlNode {
    bool isText = false;
    std::string name; ///< local name, without a namespace prefix
    std::vector<std::pair<std::string, std::string>> attributes;
    std::string text; ///< text nodes: the raw text, entities not yet replaced
    std::vector<XmlNode> children;

    std::string_view Attribute(std::string_view key) const {
        for (const auto& [k, v] : attributes)
            if (k == key) return v;
        return {};
    }
};

/// The first `math` element of `s` (with or without a prefix, after a declaration or inside
/// an HTML page), or nothing when it is not well-formed or nested too deeply.
std::optional<XmlNode> ReadMathElement(std::string_view s);

/// Raw text with its references replaced, as code points; an unknown entity becomes U+FFFD.
std::u32string Decode(std::string_view raw);
/// The text of a token element as MathML reads it: white space trimmed and collapsed, then
/// the references replaced (so that a referenced space stays). Element children set `lossy`.
std::u32string TokenText(const XmlNode& e, bool& lossy);
/// UTF-8 of `text`.
std::string Utf8(const std::u32string& text);
/// The element children of `e`.
std::vector<const XmlNode*> Elements(const XmlNode& e);

} // namespace zelm::mathml
