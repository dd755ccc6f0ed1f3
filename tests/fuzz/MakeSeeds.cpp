// Writes the seed corpora of the fuzz targets (tests/fuzz/corpus/<target>/): well-formed
// documents, setter runs and key sequences that reach every structure, from which the fuzzers
// mutate. Run from the fuzz build: MakeSeeds <corpus folder>.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "files/DocumentCodec.h"
#include "formula/DeclMath.h"

using namespace zelm;
namespace fs = std::filesystem;

namespace {

Bytes K(StructKind k) {
    return Bytes(1, char(k));
}

// Formula lines: text and code string.
struct Formula {
    Bytes text, codes;
};

std::vector<Formula> Formulas() {
    using enum StructKind;
    const Bytes s(1, Code::Structure), name(1, Code::Name), sym(1, Code::Symbol);
    return {
        {" a+b", ""},
        {" " + name + " x", Bytes(1, char(19))}, // sin x
        {" " + s + "1" + s + "2" + s, K(Fraction) + K(FractionBar) + K(FractionEnd)},
        {" x" + s + "2" + s, K(Power) + K(PowerEnd)},
        {" " + s + "3" + s + "x+1" + s, K(Root) + K(Separator) + K(RootEnd)},
        {" " + s + "a+b" + s + "c", K(Bracket) + K(BracketEnd)},
        {" " + s + "0" + s + "1" + s + "x dx", K(Integral) + K(Separator) + K(Separator)},
        {" " + s + "a" + s + "b" + s, K(Slanted) + K(Slash) + K(SlantedEnd)},
        {" a" + s + "i" + s, K(Index) + K(IndexEnd)},
        {" " + sym + " r" + s + "2" + s, Bytes(1, 'p') + K(Power) + K(PowerEnd)},
        {" " + s + "x" + s + s + "y", K(Colour) + K(Colour) + K(Dot)},
    };
}

void Write(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

void DocumentSeeds(const fs::path& dir) {
    std::vector<TLineRecord> all;
    int top = 0;
    for (const Formula& f : Formulas()) {
        TLineRecord r;
        r.plainText = false;
        r.font = FontToRecord(FontDesc{}, 0);
        r.text = f.text;
        r.codes = f.codes;
        r.top = top += 30;
        r.width = 480;
        all.push_back(r);
        Write(dir / ("line-" + std::to_string(all.size())), EncodeLine(r));
    }
    all[1].plainText = true;
    all[2].font = FontToRecord(FontDesc{"Arial", -24, 0, 700, 1, 1, 0, 1}, 0xFF0000);
    Write(dir / "document", EncodeDocument(all));
    Write(dir / "cut-short", EncodeDocument(all).substr(0, 2000));
}

// The setter target reads a choice as two bytes (high, low); operation 0 sets a text with its
// code string and positions.
std::string Choice(int v) {
    return std::string(1, '\0') + char(v);
}

void SetterSeeds(const fs::path& dir) {
    int n = 0;
    for (const Formula& f : Formulas()) {
        std::string in = Choice(0) + Choice(int(f.text.size())) + f.text +
                         Choice(int(f.codes.size())) + f.codes + Choice(1) + Choice(0) + Choice(1) +
                         Choice(2) + Choice(3);
        Write(dir / ("formula-" + std::to_string(++n)), in);
    }
}

// The key target: step 0 a key (index into its key table, then the shift bits), step 1 a
// character (index into its characters), step 3 a click.
void KeySeeds(const fs::path& dir) {
    const auto key = [](int index, int shift) { return Choice(0) + Choice(index) + char(shift); };
    const auto typed = [](const std::string& chars) {
        const std::string table = "sincolgtaexpd0123456789 ./|()+-=\"^_*";
        std::string in;
        for (char c : chars)
            in += Choice(1) + Choice(1) + Choice(int(table.find(c)));
        return in;
    };
    const int up = 5, ctrl = 2;
    std::string roots = typed("/ ");
    for (int i = 0; i < 74; ++i)
        roots += key(up, ctrl);
    Write(dir / "nested-roots", roots + typed("//"));
    Write(dir / "nested-slanted", typed("///") + key(4, 0) + typed("/x//x//") + key(9, 0));
    Write(dir / "names", typed("sin x+cos(a)/2") + Choice(5) + Choice(3) + typed("log 2"));
    Write(dir / "structures", typed("x^2+a_1") + key(1, 0) + typed("/3") + key(4, 0) + key(4, 1) +
                                  key(9, 0) + Choice(7) + typed("e^x"));
}

// The paste targets: pieces separated by byte 0, each two (nonzero) bytes of selection and a
// formula.
void PasteSeeds(const fs::path& dir, const std::vector<std::string>& formulas) {
    int n = 0;
    for (const std::string& f : formulas)
        Write(dir / ("formula-" + std::to_string(++n)), "\x01\x01" + f);
    std::string all;
    for (const std::string& f : formulas)
        all += std::string(1, char(1 + all.size() % 255)) + '\x02' + f + '\0';
    Write(dir / "several", all);
}

void LatexSeeds(const fs::path& dir) {
    PasteSeeds(dir, {"x^{2}+y_{i}", "$$\\frac{a}{b}$$", "\\sqrt[3]{x+1}+\\sqrt{y}",
                     "\\left( a \\right)", "\\int_{0}^{1} x\\,\\mathrm{d}x", "\\sum_{k=1}^{n} k",
                     "\\log_{2} 8+\\sin x", "{}^{1}\\!/_{2}", "\\frac{\\mathrm{d}y}{\\mathrm{d}x}",
                     "a \\cdot b \\times c \\vert", "\\alpha+\\pi r^2 \\leq \\infty",
                     "\\underline{ab}", "\\textcolor[RGB]{255,0,0}{x}", "\\text{\xc3\xa9 en}",
                     "\\begin{pmatrix} a & b \\\\ c & d \\end{pmatrix}", "\\mathbb{R}"});
}

void MathMLSeeds(const fs::path& dir) {
    PasteSeeds(dir,
               {"<?xml version=\"1.0\"?><math><msup><mi>x</mi><mn>2</mn></msup></math>",
                "<math><mfrac><mi>a</mi><mi>b</mi></mfrac><mfrac bevelled=\"true\"><mn>1</mn>"
                "<mn>2</mn></mfrac></math>",
                "<math><msqrt><mi>x</mi></msqrt><mroot><mi>y</mi><mn>3</mn></mroot></math>",
                "<math><mrow><mo>(</mo><mi>a</mi><mo>)</mo></mrow><msubsup><mo>&#x222B;</mo>"
                "<mn>0</mn><mn>1</mn></msubsup><munderover><mo>&#8721;</mo><mi>k</mi><mi>n</mi>"
                "</munderover></math>",
                "<math><msub><mi>log</mi><mn>2</mn></msub><mstyle mathcolor=\"red\"><mi>x</mi>"
                "</mstyle><munder><mi>y</mi><mo>_</mo></munder><mi>&#x3B1;</mi><mo>&lt;</mo>"
                "</math>"});
}

} // namespace

int main(int argc, char** argv) {
    const fs::path root = argc > 1 ? argv[1] : "corpus";
    for (const char* target : {"DocumentFuzz", "SetterFuzz", "KeysFuzz", "LatexFuzz", "MathMLFuzz"})
        fs::create_directories(root / target);
    DocumentSeeds(root / "DocumentFuzz");
    SetterSeeds(root / "SetterFuzz");
    KeySeeds(root / "KeysFuzz");
    LatexSeeds(root / "LatexFuzz");
    MathMLSeeds(root / "MathMLFuzz");
    return 0;
}
