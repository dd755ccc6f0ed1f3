// UnicodeMath linear format and plain text of the structure model, each character mapped back
// to the caret position in front of what it stands for.
#include "exchange/MathWriters.h"
#include "exchange/WriterText.h"

namespace zelm {
namespace {

using writer::Child;

class LinearWriter {
public:
    /// `unicodeMath`: the linear format; otherwise the text as a plain-text line shows it.
    explicit LinearWriter(bool unicodeMath) : math_(unicodeMath) {}

    LinearText Write(const MathNode& root) {
        out_.utf8.reserve(2 * std::size_t(root.end) + 16);
        out_.caretAt.reserve(std::size_t(root.end) + 16);
        Row(root, writer::FirstContent(root));
        out_.caretAt.push_back(root.end);
        return std::move(out_);
    }

private:
    void Put(char32_t u, int caret) {
        if (u == 0) return;
        AppendUtf8(out_.utf8, u);
        out_.caretAt.push_back(caret);
    }
    void Put(std::u32string_view s, int caret) {
        for (char32_t u : s)
            Put(u, caret);
    }
    /// Windows-1252 bytes (a name), all at `caret`.
    void PutBytes(std::string_view bytes, int caret) {
        for (char c : bytes)
            Put(writer::TextChar(static_cast<unsigned char>(c)), caret);
    }

    /// What ends an operand written last before the next item: nothing, a space (after a
    /// script without parentheses) or the glue of an n-ary operator to its operand.
    enum class Ending { None, Space, Operand };

    void Row(const MathNode& row, std::size_t first = 0) {
        for (std::size_t i = first; i < row.children.size(); ++i) {
            const MathNode& item = row.children[i];
            if (ending_ != Ending::None && item.kind != NodeKind::Switch) {
                if (ending_ == Ending::Operand)
                    Put(U'\u2592', item.begin);
                else if (Continues(item))
                    Put(U' ', item.begin);
                ending_ = Ending::None;
            }
            Item(item);
        }
    }

    /// Whether `item` written right behind a script without parentheses would run on as part
    /// of it: letters, digits, an opening bracket, a name.
    static bool Continues(const MathNode& item) {
        switch (item.kind) {
        case NodeKind::Power:
        case NodeKind::Index:
        case NodeKind::Switch:
            return false;
        case NodeKind::Char:
        case NodeKind::Symbol:
        case NodeKind::Sign: {
            const char32_t u = item.kind == NodeKind::Char     ? writer::TextChar(item.value)
                               : item.kind == NodeKind::Symbol ? writer::SymbolChar(item.value)
                                                               : writer::SignChar(item.value);
            return writer::IsLetter(u) || (u >= '0' && u <= '9') || u == '(' || u == '[' ||
                   u == '{' || u == '.';
        }
        default:
            return true;
        }
    }

    /// A script that is one letter, one sign or one number needs no parentheses.
    static bool SingleToken(const MathNode& row) {
        if (row.children.empty()) return false;
        bool digits = true;
        for (const MathNode& c : row.children)
            digits = digits && writer::IsDigitChar(c);
        if (digits) return true;
        if (row.children.size() != 1) return false;
        const MathNode& c = row.children[0];
        switch (c.kind) {
        case NodeKind::Char:
            return writer::IsLetter(writer::TextChar(c.value));
        case NodeKind::Symbol:
            return writer::IsLetter(writer::SymbolChar(c.value));
        case NodeKind::Sign:
            return writer::IsLetter(writer::SignChar(c.value));
        default:
            return false;
        }
    }

    /// `mark` (^ or _) and the script, in parentheses unless it is a single token.
    void Script(char32_t mark, const MathNode& row, int caret) {
        const char32_t open[] = {mark, U'(', 0};
        if (!SingleToken(row)) return Group(open, row, U")", caret);
        Put(mark, caret);
        Row(row);
        ending_ = Ending::Space;
    }

    /// `open`, the row, `close`: the first character of `open` stands at the structure's
    /// code, the rest inside the row, `close` at the code that ends the row.
    void Group(std::u32string_view open, const MathNode& row, std::u32string_view close,
               int openerCaret) {
        if (!open.empty()) {
            Put(open[0], openerCaret);
            Put(open.substr(1), row.begin);
        }
        Row(row);
        ending_ = Ending::None;
        Put(close, row.end);
    }

    void Item(const MathNode& n) {
        switch (n.kind) {
        case NodeKind::Row:
            Row(n);
            return;
        case NodeKind::Char:
            Put(writer::TextChar(n.value), n.begin);
            return;
        case NodeKind::Name: {
            const std::string_view name = NameOfNode(n);
            PutBytes(name, n.begin);
            if (math_ && !name.empty() && (n.value & 0x7F) >= FirstRecognisedName) Put(U' ', n.end);
            return;
        }
        case NodeKind::Reference:
            PutBytes(writer::NodeName(n), n.begin);
            return;
        case NodeKind::Symbol:
            Put(writer::SymbolChar(n.value), n.begin);
            return;
        case NodeKind::Sign:
            Put(SignShown(n.value), n.begin);
            return;
        case NodeKind::Switch:
            return;
        case NodeKind::Power:
        case NodeKind::Index:
            if (math_)
                Script(n.kind == NodeKind::Power ? U'^' : U'_', Child(n, 0), n.begin);
            else
                Row(Child(n, 0));
            return;
        case NodeKind::Fraction:
        case NodeKind::Slanted:
            if (math_) {
                Group(U"(", Child(n, 0), U")", n.begin);
                Put(n.kind == NodeKind::Fraction ? U'/' : U'\u2215', Child(n, 0).end);
                Group(U"(", Child(n, 1), U")", Child(n, 1).begin);
            } else {
                Row(Child(n, 0));
                Put(U'/', Child(n, 0).end);
                Row(Child(n, 1));
            }
            return;
        case NodeKind::Root:
            Root(n);
            return;
        case NodeKind::Bracket:
            Group(U"(", Child(n, 0), U")", n.begin);
            return;
        case NodeKind::Integral:
        case NodeKind::Sum:
            Put(n.kind == NodeKind::Integral ? U'\u222B' : U'\u2211', n.begin);
            if (!math_) {
                Row(Child(n, 0));
                Row(Child(n, 1));
                return;
            }
            Script(U'_', Child(n, 0), Child(n, 0).begin);
            ending_ = Ending::None; // an upper limit follows at once
            Script(U'^', Child(n, 1), Child(n, 1).begin);
            ending_ = Ending::Operand;
            return;
        case NodeKind::Log:
            if (math_) {
                Put(U"log", n.begin);
                if (!Child(n, 0).children.empty()) Script(U'_', Child(n, 0), Child(n, 0).begin);
                ending_ = Ending::None;
                Put(U' ', n.end);
            } else {
                Row(Child(n, 0));
                Put(U"log", Child(n, 0).end);
            }
            return;
        case NodeKind::Underline:
        case NodeKind::Colour:
            Row(Child(n, 0));
            return;
        }
    }

    char32_t SignShown(unsigned char kind) const {
        if (!math_) {
            // As the line draws them: upright letters, a dot and a bar.
            switch (StructKind(kind)) {
            case StructKind::BoldX:
                return U'x';
            case StructKind::Dot:
                return U'\u00B7';
            case StructKind::Power:
            case StructKind::PowerEnd:
            case StructKind::Root:
            case StructKind::RootEnd:
            case StructKind::Fraction:
            case StructKind::FractionBar:
            case StructKind::FractionEnd:
            case StructKind::NumeratorD:
            case StructKind::DenominatorD:
            case StructKind::Integral:
            case StructKind::IntegralD:
            case StructKind::Sum:
            case StructKind::Bracket:
            case StructKind::BracketEnd:
            case StructKind::Separator:
            case StructKind::Slanted:
            case StructKind::Slash:
            case StructKind::SlantedEnd:
            case StructKind::Index:
            case StructKind::IndexEnd:
            case StructKind::Pi:
            case StructKind::BoldE:
            case StructKind::Bar:
            case StructKind::Underline:
            case StructKind::Colour:
                break;
            }
            return writer::SignChar(kind);
        }
        switch (StructKind(kind)) {
        case StructKind::NumeratorD:
        case StructKind::DenominatorD:
        case StructKind::IntegralD:
            return U'\u2146';
        case StructKind::BoldE:
            return U'\u2147';
        case StructKind::Power:
        case StructKind::PowerEnd:
        case StructKind::Root:
        case StructKind::RootEnd:
        case StructKind::Fraction:
        case StructKind::FractionBar:
        case StructKind::FractionEnd:
        case StructKind::Integral:
        case StructKind::Sum:
        case StructKind::Bracket:
        case StructKind::BracketEnd:
        case StructKind::Separator:
        case StructKind::Slanted:
        case StructKind::Slash:
        case StructKind::SlantedEnd:
        case StructKind::Index:
        case StructKind::IndexEnd:
        case StructKind::Pi:
        case StructKind::BoldX:
        case StructKind::Dot:
        case StructKind::Bar:
        case StructKind::Underline:
        case StructKind::Colour:
            break;
        }
        return writer::SignChar(kind);
    }

    /// The root's index is written only when it is not the square root's.
    void Root(const MathNode& n) {
        const MathNode& index = Child(n, 0);
        const MathNode& radicand = Child(n, 1);
        if (!math_) {
            Row(index);
            Put(U'\u221A', index.end);
            Row(radicand);
            return;
        }
        const bool single = index.children.size() == 1 && index.children[0].kind == NodeKind::Char;
        const unsigned char digit = single ? index.children[0].value : 0;
        if (index.children.empty() || digit == '3' || digit == '4') {
            const char32_t sign = digit == '3' ? U'\u221B' : digit == '4' ? U'\u221C' : U'\u221A';
            Put(sign, n.begin);
            Group(U"(", radicand, U")", radicand.begin);
            return;
        }
        Put(U'\u221A', n.begin);
        Group(U"(", index, U"&", index.begin);
        Row(radicand);
        ending_ = Ending::None;
        Put(U')', radicand.end);
    }

    const bool math_;
    LinearText out_;
    Ending ending_ = Ending::None;
};

} // namespace

LinearText ToUnicodeMath(const MathTree& tree) {
    return LinearWriter(!tree.plainText).Write(tree.root);
}

std::string ToPlainText(const MathTree& tree) {
    return LinearWriter(false).Write(tree.root).utf8;
}

} // namespace zelm
