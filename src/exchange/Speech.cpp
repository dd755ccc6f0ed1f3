// The Dutch spoken form of a formula line. Every reading is a row of a table in SpeechRules.h
// (characters, "Symbol" characters, names, signs, structures); the code only walks the tree and
// fills in the templates.
#include "exchange/Speech.h"

#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include "exchange/SpeechRules.h"
#include "exchange/WriterText.h"
#include "formula/DeclMath.h"
#include "formula/FormulaText.h"

namespace zelm {
namespace {

using namespace speech;

const StructureRules* RulesOf(NodeKind kind) {
    for (const StructureRules& r : Structures)
        if (r.kind == kind) return &r;
    return nullptr;
}

using ByteTable = std::array<std::string, 256>;

ByteTable TableOf(const ByteWords* first, const ByteWords* last) {
    ByteTable t{};
    for (; first != last; ++first)
        t[first->byte] = first->words;
    return t;
}

/// What each Windows-1252 byte says outside a number: its words, or the character itself.
const ByteTable& CharTable() {
    static const ByteTable t = [] {
        ByteTable named = TableOf(std::begin(CharReadings), std::end(CharReadings));
        for (int b = 0; b < 256; ++b) {
            const char32_t u = writer::TextChar(static_cast<unsigned char>(b));
            if (named[b].empty() && u > ' ' && u != 0xA0 && u != 0xAD) AppendUtf8(named[b], u);
        }
        return named;
    }();
    return t;
}

/// What each "Symbol" character says: its words, the Windows-1252 character it looks like,
/// or its Unicode character.
const ByteTable& SymbolTable() {
    static const ByteTable t = [] {
        ByteTable named = TableOf(std::begin(SymbolReadings), std::end(SymbolReadings));
        for (int b = 0; b < 256; ++b) {
            const char32_t u = writer::SymbolChar(static_cast<unsigned char>(b));
            if (!named[b].empty() || u <= ' ') continue;
            if (b < 0x80)
                named[b] = CharTable()[b];
            else
                AppendUtf8(named[b], u);
        }
        return named;
    }();
    return t;
}

const ByteTable& SignTable() {
    static const ByteTable t = TableOf(std::begin(SignReadings), std::end(SignReadings));
    return t;
}

std::string Utf8Of1252(std::string_view bytes) {
    std::string out;
    for (unsigned char b : bytes)
        if (const char32_t u = writer::TextChar(b)) AppendUtf8(out, u);
    return out;
}

bool IsDigit(unsigned char b) {
    return b >= '0' && b <= '9';
}

bool IsCharNode(const MathNode& n, bool (*test)(unsigned char)) {
    return n.kind == NodeKind::Char && test(n.value);
}

bool IsDecimalSeparator(unsigned char b) {
    return b == ',' || b == '.';
}

std::string_view NameWords(const MathNode& n) {
    const std::size_t i = n.value & 0x7F;
    return i < NameReadings.size() ? NameReadings[i].words : std::string_view();
}

/// Whether a node says anything at all.
bool Speaks(const MathNode& n) {
    switch (n.kind) {
    case NodeKind::Char:
        return !CharTable()[n.value].empty();
    case NodeKind::Name:
        return !NameWords(n).empty();
    case NodeKind::Reference:
        return !NameForCode(Code::Reference, n.value).empty();
    case NodeKind::Symbol:
        return !SymbolTable()[n.value].empty();
    case NodeKind::Sign:
        return !SignTable()[n.value].empty();
    case NodeKind::Switch:
        return false;
    case NodeKind::Row:
    case NodeKind::Underline:
    case NodeKind::Colour:
        for (const MathNode& c : n.children)
            if (Speaks(c)) return true;
        return false;
    case NodeKind::Power:
    case NodeKind::Index:
    case NodeKind::Fraction:
    case NodeKind::Slanted:
    case NodeKind::Root:
    case NodeKind::Bracket:
    case NodeKind::Integral:
    case NodeKind::Sum:
    case NodeKind::Log:
        return true;
    }
    return false;
}

/// The words of a region that is one number (digits with at most one decimal comma or point
/// between them), or one letter, symbol, pi, e or reference; nothing for any other region.
std::optional<std::string> SimpleWords(const MathNode& row) {
    std::string number;
    const MathNode* single = nullptr;
    int count = 0, separators = 0;
    bool digitsOnly = true;
    const MathNode* previous = nullptr;
    for (const MathNode& c : row.children) {
        if (!Speaks(c)) continue;
        ++count;
        single = &c;
        if (IsCharNode(c, IsDigit)) {
            number += char(c.value);
        } else if (c.kind == NodeKind::Char && IsDecimalSeparator(c.value) && previous &&
                   IsCharNode(*previous, IsDigit)) {
            number += " komma ";
            ++separators;
        } else {
            digitsOnly = false;
        }
        previous = &c;
    }
    if (count == 0) return std::nullopt;
    if (digitsOnly && separators <= 1 && IsDigit(static_cast<unsigned char>(number.back())))
        return number;
    if (count != 1) return std::nullopt;
    const MathNode& c = *single;
    switch (c.kind) {
    case NodeKind::Char:
        if (writer::IsLetter(writer::TextChar(c.value))) return CharTable()[c.value];
        return std::nullopt;
    case NodeKind::Symbol:
        return SymbolTable()[c.value];
    case NodeKind::Reference:
        return Utf8Of1252(NameForCode(Code::Reference, c.value));
    case NodeKind::Sign:
        if (c.value == KindByte(StructKind::Pi) || c.value == KindByte(StructKind::BoldE))
            return SignTable()[c.value];
        return std::nullopt;
    case NodeKind::Row:
    case NodeKind::Name:
    case NodeKind::Switch:
    case NodeKind::Power:
    case NodeKind::Index:
    case NodeKind::Fraction:
    case NodeKind::Slanted:
    case NodeKind::Root:
    case NodeKind::Bracket:
    case NodeKind::Integral:
    case NodeKind::Sum:
    case NodeKind::Log:
    case NodeKind::Underline:
    case NodeKind::Colour:
        return std::nullopt;
    }
    return std::nullopt;
}

bool StartsWithSign(const MathNode& row, StructKind k) {
    for (const MathNode& c : row.children) {
        if (!Speaks(c)) continue;
        return c.kind == NodeKind::Sign && c.value == KindByte(k);
    }
    return false;
}

/// What the forms of a structure ask of its regions, worked out once.
struct RegionFacts {
    explicit RegionFacts(const MathNode& n)
        : firstEmpty(n.children.empty() || !Speaks(n.children[0])),
          secondEmpty(n.children.size() < 2 || !Speaks(n.children[1])),
          simple(n.children.empty() ? std::nullopt : SimpleWords(n.children[0])),
          derivative(n.children.size() == 2 &&
                     StartsWithSign(n.children[0], StructKind::NumeratorD) &&
                     StartsWithSign(n.children[1], StructKind::DenominatorD)) {
        const std::size_t first = SmallNumber(simple);
        if (first >= 3) ordinal = Ordinals[first];
        if (first >= 1 && n.children.size() == 2) SmallFraction(first, n.children[1]);
    }
    bool firstEmpty, secondEmpty;
    std::optional<std::string> simple;
    bool derivative;
    std::string_view ordinal;
    std::string numberWords; ///< a fraction of small whole numbers: "drie vierde"

    /// The whole number 1 to 10 that `words` are, else 0.
    static std::size_t SmallNumber(const std::optional<std::string>& words) {
        for (std::size_t i = 1; i < Cardinals.size() && words; ++i)
            if (*words == std::to_string(i)) return i;
        return 0;
    }

    void SmallFraction(std::size_t numerator, const MathNode& denominatorRow) {
        const std::size_t denominator = SmallNumber(SimpleWords(denominatorRow));
        if (denominator < 2) return;
        const std::string_view ordinal = denominator > 2  ? Ordinals[denominator]
                                         : numerator == 1 ? Half
                                                          : Halves;
        numberWords = std::string(Cardinals[numerator]) + " " + std::string(ordinal);
    }

    bool Hold(When when) const {
        switch (when) {
        case When::Always:
            return true;
        case When::FirstEmpty:
            return firstEmpty;
        case When::SecondEmpty:
            return secondEmpty;
        case When::BothEmpty:
            return firstEmpty && secondEmpty;
        case When::FirstIsTwo:
            return simple == "2";
        case When::FirstOrdinal:
            return !ordinal.empty();
        case When::FirstSimple:
            return simple.has_value();
        case When::Derivative:
            return derivative;
        case When::SmallNumbers:
            return !numberWords.empty();
        }
        return false;
    }
};

/// Words joined by spaces, with pauses (a comma) between phrases; no pause at either end.
class Words {
public:
    void Word(std::string_view w) {
        if (w == ",") return Pause();
        if (w.empty()) return;
        if (!out_.empty()) out_ += pause_ ? ", " : " ";
        out_ += w;
        pause_ = false;
    }
    void Pause() { pause_ = !out_.empty(); }
    std::string Take() { return std::move(out_); }

private:
    std::string out_;
    bool pause_ = false;
};

/// Whether a bar behind `n` closes: `n` ends an operand (a letter, a number, a closing
/// bracket, a structure), where a bar behind an operator or a name opens.
bool EndsOperand(const MathNode& n) {
    switch (n.kind) {
    case NodeKind::Char: {
        const char32_t u = writer::TextChar(n.value);
        return writer::IsLetter(u) || IsDigit(n.value) || u == ')' || u == ']' || u == '}' ||
               u == '!' || u == '\'' || u == '%';
    }
    case NodeKind::Symbol:
        return writer::IsLetter(writer::SymbolChar(n.value));
    case NodeKind::Sign:
        return writer::IsLetter(writer::SignChar(n.value));
    case NodeKind::Name:
    case NodeKind::Switch:
    case NodeKind::Integral:
    case NodeKind::Sum:
    case NodeKind::Log:
        return false;
    case NodeKind::Row:
    case NodeKind::Reference:
    case NodeKind::Power:
    case NodeKind::Index:
    case NodeKind::Fraction:
    case NodeKind::Slanted:
    case NodeKind::Root:
    case NodeKind::Bracket:
    case NodeKind::Underline:
    case NodeKind::Colour:
        return true;
    }
    return false;
}

/// For each item of `row`, the bar it pairs with as absolute value bars (-1 for none): a bar
/// at the start or behind an operator opens, any other closes the innermost open one, so that
/// nested bars pair up. Empty when the row pairs no bars.
std::vector<int> BarPartners(const MathNode& row) {
    std::vector<int> partners, open;
    bool operand = false; // what went before ends an operand
    for (std::size_t i = 0; i < row.children.size(); ++i) {
        const MathNode& n = row.children[i];
        if (!Speaks(n)) continue;
        if (writer::FenceOf(n) != '|') {
            operand = EndsOperand(n);
            continue;
        }
        if (partners.empty()) partners.assign(row.children.size(), -1);
        if (operand && !open.empty()) {
            partners[std::size_t(open.back())] = int(i);
            partners[i] = open.back();
            open.pop_back();
        } else {
            open.push_back(int(i));
        }
        operand = partners[i] >= 0;
    }
    return partners;
}

/// Reads a tree into words.
class Speaker {
public:
    /// `text`: a text-mode line, whose runs of characters are read as the text they are.
    explicit Speaker(bool text) : text_(text) {}
    std::string Take() { return words_.Take(); }

    /// `atEnd`: nothing is said after this row, so a last region of one symbol needs no pause.
    void Row(const MathNode& row, bool atEnd, std::string_view equals) {
        const auto& items = row.children;
        std::size_t last = items.size();
        for (std::size_t i = items.size(); i-- > 0;)
            if (Speaks(items[i])) {
                last = i;
                break;
            }
        const std::vector<int> bars = BarPartners(row);
        const auto paired = [&](std::size_t i) { return !bars.empty() && bars[i] >= 0; };
        for (std::size_t i = 0; i < items.size(); ++i) {
            const MathNode& n = items[i];
            const bool followed = last != items.size() && i < last;
            if (paired(i)) {
                words_.Word(std::size_t(bars[i]) > i ? AbsoluteOpen : AbsoluteClose);
            } else if (text_ && n.kind == NodeKind::Char) {
                std::size_t end = i;
                while (end < items.size() && items[end].kind == NodeKind::Char && !paired(end))
                    ++end;
                TextRun(items, i, end);
                i = end - 1;
            } else if (IsCharNode(n, IsDigit)) {
                i = Number(items, i);
            } else {
                Item(n, atEnd && !followed, followed, equals);
            }
        }
    }

private:
    /// Characters `first` to `end` of a text-mode row as they stand, every run of blanks one
    /// space: the screen reader reads words as words.
    void TextRun(const std::vector<MathNode>& items, std::size_t first, std::size_t end) {
        std::string run;
        for (std::size_t i = first; i < end; ++i) {
            const char32_t u = writer::TextChar(items[i].value);
            if (u > ' ' && u != 0xA0 && u != 0xAD)
                AppendUtf8(run, u);
            else if (!run.empty() && run.back() != ' ')
                run += ' ';
        }
        while (!run.empty() && run.back() == ' ')
            run.pop_back();
        words_.Word(run);
    }

    /// Reads the number that starts at `i`; returns the index of its last item.
    std::size_t Number(const std::vector<MathNode>& items, std::size_t i) {
        std::string digits;
        for (;; ++i) {
            digits += char(items[i].value);
            const bool more = i + 1 < items.size() && IsCharNode(items[i + 1], IsDigit);
            const bool decimal = i + 2 < items.size() &&
                                 IsCharNode(items[i + 1], IsDecimalSeparator) &&
                                 IsCharNode(items[i + 2], IsDigit);
            if (more) continue;
            if (!decimal) break;
            words_.Word(digits);
            words_.Word("komma");
            digits.clear();
            ++i;
        }
        words_.Word(digits);
        return i;
    }

    void Item(const MathNode& n, bool atEnd, bool followed, std::string_view equals) {
        switch (n.kind) {
        case NodeKind::Char:
            if (n.value == '=' && !equals.empty())
                words_.Word(equals);
            else
                words_.Word(CharTable()[n.value]);
            return;
        case NodeKind::Name: {
            words_.Word(NameWords(n));
            const std::size_t i = n.value & 0x7F;
            if (followed && i < NameReadings.size() && NameReadings[i].van) words_.Word("van");
            return;
        }
        case NodeKind::Reference:
            words_.Word(Utf8Of1252(NameForCode(Code::Reference, n.value)));
            return;
        case NodeKind::Symbol:
            words_.Word(SymbolTable()[n.value]);
            return;
        case NodeKind::Sign:
            words_.Word(SignTable()[n.value]);
            return;
        case NodeKind::Switch:
            return;
        case NodeKind::Row:
            Row(n, atEnd, equals);
            return;
        case NodeKind::Power:
        case NodeKind::Index:
        case NodeKind::Fraction:
        case NodeKind::Slanted:
        case NodeKind::Root:
        case NodeKind::Bracket:
        case NodeKind::Integral:
        case NodeKind::Sum:
        case NodeKind::Log:
        case NodeKind::Underline:
        case NodeKind::Colour:
            Structure(n, *RulesOf(n.kind), atEnd, followed, equals);
            return;
        }
    }

    void Structure(const MathNode& n, const StructureRules& rules, bool atEnd, bool followed,
                   std::string_view equals) {
        const RegionFacts facts(n);
        std::string_view form;
        for (const Form& f : rules.forms)
            if (!f.words.empty() && facts.Hold(f.when)) {
                form = f.words;
                break;
            }
        if (!rules.equals.empty()) equals = rules.equals;
        while (!form.empty()) {
            const std::size_t space = form.find(' ');
            const std::string_view token = form.substr(0, space);
            form = space == std::string_view::npos ? std::string_view() : form.substr(space + 1);
            Token(n, facts, rules, token, form.empty(), {atEnd, followed, equals});
        }
    }

    struct Place {
        bool atEnd, followed;
        std::string_view equals;
    };

    void Token(const MathNode& n, const RegionFacts& facts, const StructureRules& rules,
               std::string_view token, bool lastToken, Place place) {
        if (token == ",") {
            words_.Pause();
            return;
        }
        const std::size_t open = token.find('{');
        if (open == std::string_view::npos) {
            words_.Word(token);
            return;
        }
        const std::size_t close = token.find('}', open);
        const std::string_view key = token.substr(open + 1, close - open - 1);
        const std::string_view before = token.substr(0, open), after = token.substr(close + 1);
        if (key == "van") {
            if (place.followed) words_.Word("van");
            return;
        }
        if (key == "number") {
            words_.Word(facts.numberWords);
            return;
        }
        if (key == "o0" || !before.empty() || !after.empty()) {
            // Glued words: the forms that glue ask for a simple region 0.
            const std::string_view glued = key == "o0" ? facts.ordinal : *facts.simple;
            words_.Word(std::string(before) + std::string(glued) + std::string(after));
            return;
        }
        const std::size_t region = key == "1" ? 1 : 0;
        if (region >= n.children.size()) return;
        const MathNode& row = n.children[region];
        // A last region ends in words: more than one symbol with its end word, also at the end
        // of the line (else x^(n+1) and x^n+1 would sound alike there), one symbol with a pause
        // where more follows.
        const bool ends = lastToken && !rules.end.empty() && Speaks(row);
        const bool endWord = ends && !(region == 0 ? facts.simple : SimpleWords(row));
        Row(row, lastToken && place.atEnd && !endWord, place.equals);
        if (endWord) {
            words_.Pause();
            words_.Word(rules.end);
            words_.Pause();
        } else if (ends && !place.atEnd) {
            words_.Pause();
        }
    }

    const bool text_;

    Words words_;
};

/// One step of the way from the line down to a caret: a structure and the region it is in.
struct Step {
    const MathNode* node;
    std::size_t region;
    bool operator==(const Step&) const = default;
};

void FindPath(const MathNode& row, int caret, std::vector<Step>& path) {
    for (const MathNode& item : row.children) {
        if (item.kind == NodeKind::Underline || item.kind == NodeKind::Colour) {
            for (const MathNode& content : item.children) {
                const std::size_t before = path.size();
                FindPath(content, caret, path);
                if (path.size() != before) return;
            }
            continue;
        }
        const StructureRules* rules = RulesOf(item.kind);
        if (!rules || caret <= item.begin) continue;
        for (std::size_t r = 0; r < item.children.size() && r < rules->inside.size(); ++r) {
            const MathNode& region = item.children[r];
            if (region.begin <= caret && caret <= region.end) {
                path.push_back({&item, r});
                FindPath(region, caret, path);
                return;
            }
        }
    }
}

std::vector<Step> PathTo(const MathTree& tree, int caret) {
    std::vector<Step> path;
    FindPath(tree.root, caret, path);
    return path;
}

std::string_view Inside(const Step& s) {
    return RulesOf(s.node->kind)->inside[s.region];
}

} // namespace

std::string SpeakLine(const MathTree& tree) {
    Speaker speaker(tree.plainText);
    speaker.Row(tree.root, true, {});
    std::string out = speaker.Take();
    return out.empty() ? std::string(EmptyLine) : out;
}

std::string SpeakCaretContext(const MathTree& tree, int caret) {
    const std::vector<Step> path = PathTo(tree, caret);
    Words words;
    for (auto s = path.rbegin(); s != path.rend(); ++s) {
        words.Word(Inside(*s));
        words.Pause();
    }
    return words.Take();
}

std::string SpeakContextChange(const MathTree& tree, int from, int to) {
    const std::vector<Step> was = PathTo(tree, from), is = PathTo(tree, to);
    std::size_t same = 0;
    while (same < was.size() && same < is.size() && was[same] == is[same])
        ++same;
    Words words;
    const bool otherRegion =
        same < was.size() && same < is.size() && was[same].node == is[same].node;
    if (same < was.size() && !otherRegion) {
        // The outermost structure left is what matters: the caret is out of all inside it.
        const MathNode& left = *was[same].node;
        const StructureRules& rules = *RulesOf(left.kind);
        words.Word(to >= left.end ? rules.leaveForward : rules.leaveBackward);
        words.Pause();
    }
    for (std::size_t i = same; i < is.size(); ++i) {
        words.Word(Inside(is[i]));
        words.Pause();
    }
    return words.Take();
}

} // namespace zelm
