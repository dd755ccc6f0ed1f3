// The XML reader of pasted MathML.
#include "exchange/MathMLXml.h"

#include <algorithm>

#include "exchange/MathReaders.h"
#include "formula/Charset.h"

namespace zelm::mathml {

namespace {

/// A presentation element holds a few levels of XML per structure (a script, its row).
constexpr int DeepestXml = 4 * DeepestPastedNesting;

struct NamedEntity {
    std::string_view name;
    char32_t u;
};

constexpr NamedEntity Entities[] = {
    {"lt", '<'},
    {"gt", '>'},
    {"amp", '&'},
    {"quot", '"'},
    {"apos", '\''},
    {"nbsp", 0xA0},
    {"times", 0xD7},
    {"sdot", 0x22C5},
    {"middot", 0xB7},
    {"minus", 0x2212},
    {"pm", 0xB1},
    {"plusmn", 0xB1},
    {"le", 0x2264},
    {"leq", 0x2264},
    {"ge", 0x2265},
    {"geq", 0x2265},
    {"ne", 0x2260},
    {"infin", 0x221E},
    {"pi", 0x3C0},
    {"int", 0x222B},
    {"sum", 0x2211},
    {"prod", 0x220F},
    {"part", 0x2202},
    {"rarr", 0x2192},
    {"larr", 0x2190},
    {"divide", 0xF7},
    {"ApplyFunction", 0x2061},
    {"af", 0x2061},
    {"InvisibleTimes", 0x2062},
    {"it", 0x2062},
    {"alpha", 0x3B1},
    {"beta", 0x3B2},
    {"gamma", 0x3B3},
    {"delta", 0x3B4},
    {"lambda", 0x3BB},
    {"mu", 0x3BC},
    {"sigma", 0x3C3},
    {"theta", 0x3B8},
    {"phi", 0x3C6},
    {"omega", 0x3C9},
    {"VerticalBar", '|'},
    {"verbar", '|'},
    {"lpar", '('},
    {"rpar", ')'},
    {"UnderBar", '_'},
    {"lowbar", '_'},
    {"OverBar", 0x203E},
    {"deg", 0xB0},
};

bool IsXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool IsNameChar(char c) {
    return c == ':' || c == '_' || c == '-' || c == '.' || (c >= 'a' && c <= 'z') ||
           (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           static_cast<unsigned char>(c) >= 0x80;
}

/// Reads one element tree; every failure leaves `failed` set.
class XmlReader {
public:
    explicit XmlReader(std::string_view s) : s_(s) {}

    std::optional<XmlNode> ReadMath() {
        if (!FindMath()) return std::nullopt;
        XmlNode root = Element(0);
        if (failed_ || root.name != "math") return std::nullopt;
        return root;
    }

private:
    bool AtEnd() const { return pos_ >= s_.size(); }
    bool At(std::string_view p) const { return !AtEnd() && s_.substr(pos_, p.size()) == p; }

    /// Moves to the start tag of the first `math` element (with or without a prefix), so
    /// that a declaration, a document type or an HTML page around it does not matter.
    bool FindMath() {
        for (std::size_t at = s_.find('<'); at != std::string_view::npos;
             at = s_.find('<', at + 1)) {
            std::size_t end = at + 1;
            while (end < s_.size() && IsNameChar(s_[end]))
                ++end;
            std::string_view name = s_.substr(at + 1, end - at - 1);
            if (const auto colon = name.rfind(':'); colon != std::string_view::npos)
                name.remove_prefix(colon + 1);
            if (name == "math") {
                pos_ = at;
                return true;
            }
        }
        return false;
    }

    std::string Name() {
        const std::size_t start = pos_;
        while (!AtEnd() && IsNameChar(s_[pos_]))
            ++pos_;
        std::string_view name = s_.substr(start, pos_ - start);
        if (name.empty()) failed_ = true;
        if (const auto colon = name.rfind(':'); colon != std::string_view::npos)
            name.remove_prefix(colon + 1);
        return std::string(name);
    }

    void SkipSpace() {
        while (!AtEnd() && IsXmlSpace(s_[pos_]))
            ++pos_;
    }

    /// Skips up to and past `end`; fails when it never comes.
    void SkipPast(std::string_view end) {
        const std::size_t at = s_.find(end, pos_);
        if (at == std::string_view::npos) {
            failed_ = true;
            pos_ = s_.size();
        } else {
            pos_ = at + end.size();
        }
    }

    /// The element whose start tag is at pos_.
    XmlNode Element(int depth) {
        XmlNode e;
        if (depth > DeepestXml) {
            failed_ = true;
            return e;
        }
        ++pos_; // '<'
        e.name = Name();
        while (!failed_) {
            SkipSpace();
            if (AtEnd()) {
                failed_ = true;
            } else if (At("/>")) {
                pos_ += 2;
                return e;
            } else if (s_[pos_] == '>') {
                ++pos_;
                break;
            } else {
                std::string key = Name();
                SkipSpace();
                if (AtEnd() || s_[pos_] != '=') {
                    failed_ = true;
                    break;
                }
                ++pos_;
                SkipSpace();
                const char quote = AtEnd() ? '\0' : s_[pos_];
                if (quote != '"' && quote != '\'') {
                    failed_ = true;
                    break;
                }
                const std::size_t end = s_.find(quote, pos_ + 1);
                if (end == std::string_view::npos) {
                    failed_ = true;
                    break;
                }
                e.attributes.emplace_back(std::move(key),
                                          std::string(s_.substr(pos_ + 1, end - pos_ - 1)));
                pos_ = end + 1;
            }
        }
        Content(e, depth);
        return e;
    }

    /// The content of `e` up to and including its end tag.
    void Content(XmlNode& e, int depth) {
        while (!failed_) {
            if (AtEnd()) {
                failed_ = true;
            } else if (At("</")) {
                pos_ += 2;
                const std::string name = Name();
                SkipSpace();
                if (name != e.name || AtEnd() || s_[pos_] != '>')
                    failed_ = true;
                else
                    ++pos_;
                return;
            } else if (At("<!--")) {
                SkipPast("-->");
            } else if (At("<![CDATA[")) {
                pos_ += 9;
                const std::size_t start = pos_;
                SkipPast("]]>");
                XmlNode t;
                t.isText = true;
                // Raw text with its "&" and "<" kept as they are.
                for (char c : s_.substr(start, pos_ - start - 3))
                    t.text += c == '&' ? std::string("&amp;") : std::string(1, c);
                e.children.push_back(std::move(t));
            } else if (At("<?")) {
                SkipPast("?>");
            } else if (At("<")) {
                e.children.push_back(Element(depth + 1));
            } else {
                const std::size_t end = std::min(s_.find('<', pos_), s_.size());
                XmlNode t;
                t.isText = true;
                t.text = std::string(s_.substr(pos_, end - pos_));
                e.children.push_back(std::move(t));
                pos_ = end;
            }
        }
    }

    std::string_view s_;
    std::size_t pos_ = 0;
    bool failed_ = false;
};

} // namespace

std::optional<XmlNode> ReadMathElement(std::string_view s) {
    return XmlReader(s).ReadMath();
}

std::u32string Decode(std::string_view raw) {
    std::u32string out;
    std::size_t i = 0;
    while (i < raw.size()) {
        if (raw[i] != '&') {
            out += NextCodePoint(raw, i);
            continue;
        }
        const std::size_t semi = raw.find(';', i);
        if (semi == std::string_view::npos || semi - i > 32) {
            out += U'&';
            ++i;
            continue;
        }
        const std::string_view ref = raw.substr(i + 1, semi - i - 1);
        char32_t u = 0xFFFD;
        if (ref.size() > 1 && ref[0] == '#') {
            const bool hex = ref[1] == 'x' || ref[1] == 'X';
            unsigned long v = 0;
            bool digits = ref.size() > (hex ? 2u : 1u);
            for (char c : ref.substr(hex ? 2 : 1)) {
                int digit = -1;
                if (c >= '0' && c <= '9') digit = c - '0';
                if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
                if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
                if (digit < 0) digits = false;
                v = v * (hex ? 16 : 10) + unsigned(digit < 0 ? 0 : digit);
                if (v > 0x10FFFF) digits = false;
            }
            if (digits) u = char32_t(v);
        } else {
            for (const NamedEntity& n : Entities)
                if (n.name == ref) u = n.u;
        }
        out += u;
        i = semi + 1;
    }
    return out;
}

std::u32string TokenText(const XmlNode& e, bool& lossy) {
    std::string raw;
    for (const XmlNode& c : e.children) {
        if (c.isText)
            raw += c.text;
        else
            lossy = true; // mglyph, malignmark and the like
    }
    std::string collapsed;
    for (char c : raw) {
        if (IsXmlSpace(c)) {
            if (!collapsed.empty() && collapsed.back() != ' ') collapsed += ' ';
        } else {
            collapsed += c;
        }
    }
    if (!collapsed.empty() && collapsed.back() == ' ') collapsed.pop_back();
    return Decode(collapsed);
}

std::string Utf8(const std::u32string& text) {
    std::string out;
    for (char32_t u : text)
        AppendUtf8(out, u);
    return out;
}

std::vector<const XmlNode*> Elements(const XmlNode& e) {
    std::vector<const XmlNode*> out;
    for (const XmlNode& c : e.children)
        if (!c.isText) out.push_back(&c);
    return out;
}
} // namespace zelm::mathml
