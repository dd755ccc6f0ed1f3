// Presentation MathML (MathML Core elements) of the structure model.
#include <string_view>

#include "formula/MathWriters.h"
#include "formula/WriterText.h"

namespace zelm {
namespace {

/// Appends `u` to `out`, escaped for XML text and attribute values.
void AppendEscaped(std::string& out, char32_t u) {
    switch (u) {
    case '&':
        out += "&amp;";
        return;
    case '<':
        out += "&lt;";
        return;
    case '>':
        out += "&gt;";
        return;
    case '"':
        out += "&quot;";
        return;
    default:
        writer::AppendUtf8(out, u);
    }
}

class MathMLWriter {
public:
    std::string Write(const MathTree& tree) {
        out_ = "<math xmlns=\"http://www.w3.org/1998/Math/MathML\">";
        if (tree.plainText) {
            out_ += "<mtext>";
            for (const char c : ToPlainText(tree))
                if (c == '&' || c == '<' || c == '>' || c == '"')
                    AppendEscaped(out_, char32_t(c));
                else
                    out_ += c;
            out_ += "</mtext>";
        } else {
            Row(tree.root);
        }
        out_ += "</math>";
        return std::move(out_);
    }

private:
    /// The item that scripts attach to: its element, and the scripts it has taken so far.
    /// `after` follows the scripted whole (the function application of a name).
    struct Atom {
        std::string base, sub, sup;
        std::string_view after;
        bool underOver = false; ///< limits below and above (a sum)
        bool full = false;      ///< takes no further scripts
        bool number = false;    ///< an `mn` that further digits join
    };

    static const MathNode& Child(const MathNode& n, std::size_t i) {
        static const MathNode empty;
        return i < n.children.size() ? n.children[i] : empty;
    }

    /// The items of a row, wrapped in one `mrow`.
    std::string RowElement(const MathNode& row) {
        std::string saved = std::move(out_);
        Atom savedAtom = std::move(atom_);
        out_ = "<mrow>";
        atom_ = {};
        Row(row);
        out_ += "</mrow>";
        std::string element = std::move(out_);
        out_ = std::move(saved);
        atom_ = std::move(savedAtom);
        return element;
    }

    void Row(const MathNode& row) {
        for (const MathNode& item : row.children)
            Item(item);
        Flush();
    }

    /// Writes the pending atom with its scripts.
    void Flush() {
        if (atom_.base.empty()) return;
        const bool sub = !atom_.sub.empty(), sup = !atom_.sup.empty();
        const char* element = sub && sup ? (atom_.underOver ? "munderover" : "msubsup")
                              : sub      ? "msub"
                              : sup      ? "msup"
                                         : nullptr;
        if (element) {
            out_ += '<';
            out_ += element;
            out_ += '>';
        }
        out_ += atom_.base;
        out_ += atom_.sub;
        out_ += atom_.sup;
        if (element) {
            out_ += "</";
            out_ += element;
            out_ += '>';
        }
        out_ += atom_.after;
        atom_ = {};
    }

    /// A new item: the one before it is complete.
    void Begin(std::string element, std::string_view after = {}) {
        Flush();
        atom_.base = std::move(element);
        atom_.after = after;
    }

    static std::string Token(const char* tag, std::string_view attributes, char32_t u) {
        std::string s = "<";
        s += tag;
        s += attributes;
        s += '>';
        AppendEscaped(s, u);
        s += "</";
        s += tag;
        s += '>';
        return s;
    }

    /// Letters are identifiers, digits numbers, the rest operators.
    static std::string CharElement(char32_t u) {
        if (u == ' ') return "<mspace width=\"0.25em\"/>";
        if (u >= '0' && u <= '9') return Token("mn", {}, u);
        if (writer::IsLetter(u)) return Token("mi", {}, u);
        return Token("mo", {}, u);
    }

    void Item(const MathNode& n) {
        switch (n.kind) {
        case NodeKind::Row:
            Row(n);
            return;
        case NodeKind::Char:
            if (const char32_t u = writer::TextChar(n.value)) Character(u);
            return;
        case NodeKind::Name:
            Name(n);
            return;
        case NodeKind::Reference:
            if (const std::string name = writer::NodeName(n); !name.empty())
                Begin("<mi mathvariant=\"bold\">" + Escaped(name) + "</mi>");
            return;
        case NodeKind::Symbol:
            if (const char32_t u = writer::SymbolChar(n.value)) Begin(CharElement(u));
            return;
        case NodeKind::Sign:
            Sign(n.value);
            return;
        case NodeKind::Switch:
            return;
        case NodeKind::Power:
        case NodeKind::Index:
            Script(n);
            return;
        case NodeKind::Fraction:
            Begin("<mfrac>" + RowElement(Child(n, 0)) + RowElement(Child(n, 1)) + "</mfrac>");
            return;
        case NodeKind::Slanted:
            Begin("<mfrac bevelled=\"true\">" + RowElement(Child(n, 0)) + RowElement(Child(n, 1)) +
                  "</mfrac>");
            return;
        case NodeKind::Root:
            if (Child(n, 0).children.empty())
                Begin("<msqrt>" + RowElement(Child(n, 1)) + "</msqrt>");
            else
                Begin("<mroot>" + RowElement(Child(n, 1)) + RowElement(Child(n, 0)) + "</mroot>");
            return;
        case NodeKind::Bracket:
            Begin("<mrow><mo fence=\"true\" stretchy=\"true\">(</mo>" + RowElement(Child(n, 0)) +
                  "<mo fence=\"true\" stretchy=\"true\">)</mo></mrow>");
            return;
        case NodeKind::Integral:
        case NodeKind::Sum: {
            const bool sum = n.kind == NodeKind::Sum;
            Begin(sum ? "<mo>\u2211</mo>" : "<mo>\u222B</mo>");
            atom_.sub = RowElement(Child(n, 0));
            atom_.sup = RowElement(Child(n, 1));
            atom_.underOver = sum;
            atom_.full = true;
            return;
        }
        case NodeKind::Log:
            Begin("<mi>log</mi>", "<mo>\u2061</mo>");
            if (!Child(n, 0).children.empty()) atom_.sub = RowElement(Child(n, 0));
            return;
        case NodeKind::Underline:
            Begin("<munder accentunder=\"true\">" + RowElement(Child(n, 0)) +
                  "<mo>_</mo></munder>");
            return;
        case NodeKind::Colour:
            // The colour a line shows for coloured text in black: RGB 200, 0, 0.
            Begin("<mstyle mathcolor=\"#C80000\">" + RowElement(Child(n, 0)) + "</mstyle>");
            return;
        }
    }

    /// Digits in a row make one number.
    void Character(char32_t u) {
        const bool digit = u >= '0' && u <= '9';
        if (digit && atom_.number && atom_.sub.empty() && atom_.sup.empty()) {
            atom_.base.insert(atom_.base.size() - 5, 1, char(u));
            return;
        }
        Begin(CharElement(u));
        atom_.number = digit;
    }

    static std::string Escaped(std::string_view bytes) {
        std::string s;
        for (const char c : bytes)
            if (const char32_t u = writer::TextChar(static_cast<unsigned char>(c)))
                AppendEscaped(s, u);
        return s;
    }

    void Name(const MathNode& n) {
        const std::string_view name = NameOfNode(n);
        if (name.empty()) return;
        if ((n.value & 0x7F) < FirstRecognisedName) {
            Begin("<mo>" + Escaped(name) + "</mo>");
            return;
        }
        Begin("<mi mathvariant=\"normal\">" + Escaped(name) + "</mi>", "<mo>\u2061</mo>");
    }

    void Sign(unsigned char kind) {
        switch (kind) {
        case 18:
        case 19:
        case 21:
            Begin("<mi mathvariant=\"normal\">d</mi>");
            return;
        case 32:
            Begin("<mi>\u03C0</mi>");
            return;
        case 33:
            Begin("<mi mathvariant=\"normal\">e</mi>");
            return;
        case 34:
            Begin("<mo>\u00D7</mo>");
            return;
        case 35:
            Begin("<mo>\u22C5</mo>");
            return;
        case 37:
            Begin("<mo>|</mo>");
            return;
        default:
            return;
        }
    }

    /// A power or index on the item before it; an empty `mrow` stands in for a missing or
    /// full one.
    void Script(const MathNode& n) {
        std::string& slot = n.kind == NodeKind::Power ? atom_.sup : atom_.sub;
        if (atom_.base.empty() || atom_.full || !slot.empty()) {
            Begin("<mrow/>");
            return Script(n);
        }
        slot = RowElement(Child(n, 0));
    }

    std::string out_;
    Atom atom_;
};

} // namespace

std::string ToMathML(const MathTree& tree) {
    return MathMLWriter().Write(tree);
}

} // namespace zelm
