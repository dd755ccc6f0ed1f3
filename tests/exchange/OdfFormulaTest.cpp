// The .odt of notes judged by tools that did not write it: unzip tests the container, xmllint
// reads every XML part, and each formula object holds the MathML writer's form of its line.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "exchange/MathWriters.h"
#include "exchange/OdfFormula.h"
#include "support/FormulaCorpus.h"
#include "support/ZipCheck.h"

namespace zelm {
namespace {

namespace fs = std::filesystem;

class OdfExport : public ::testing::Test {
protected:
    const fs::path dir = fs::temp_directory_path() / ("odf-test-" + std::to_string(getpid()));
    const std::string odt = "'" + (dir / "notes.odt").string() + "'";

    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }

    std::string Part(const std::string& name) const {
        std::ifstream file(dir / "parts" / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), {}};
    }
    static OdfPicture Picture(std::size_t line) { return {"png " + std::to_string(line), 40, 20}; }

    // Writes `lines` and judges the container, its parts and its formulas.
    void Check(const std::vector<NoteLine>& lines) {
        std::ofstream file(dir / "notes.odt", std::ios::binary);
        WriteOdt(lines, Picture, [&](std::string_view piece) { file << piece; });
        file.close();
        ASSERT_EQ(test::ZipComplaints((dir / "notes.odt").string()), "");
        // Readers find the type in the first local header: the name, no compression, the data.
        std::ifstream written(dir / "notes.odt", std::ios::binary);
        std::string head(200, '\0');
        written.read(head.data(), std::streamsize(head.size()));
        const auto u16 = [&](int at) { return (head[at] & 0xFF) | (head[at + 1] & 0xFF) << 8; };
        EXPECT_EQ(u16(8), 0) << "compressed";
        EXPECT_EQ(head.substr(30, u16(26)), "mimetype");
        EXPECT_EQ(head.substr(38 + u16(28), 39), "application/vnd.oasis.opendocument.text");
        ASSERT_EQ(test::Shell("unzip -q " + odt + " -d '" + (dir / "parts").string() + "'").first,
                  0);
        const std::string names = test::Shell("unzip -Z1 " + odt).second;
        const std::string manifest = Part("META-INF/manifest.xml");
        std::istringstream listed(names);
        for (std::string name; std::getline(listed, name);) {
            const bool self = name == "mimetype" || name == "META-INF/manifest.xml";
            EXPECT_TRUE(self || manifest.find("full-path=\"" + name + "\"") != std::string::npos)
                << name << " missing from the manifest";
        }
        int object = 0;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].plainText || HoldsNothing(lines[i])) continue;
            const std::string name = "Object " + std::to_string(++object);
            const std::string math = ToMathMLBlock(ContentTree(lines[i]));
            EXPECT_NE(Part(name + "/content.xml").find(math), std::string::npos) << name;
            EXPECT_EQ(Part("ObjectReplacements/" + name), Picture(i).png) << name;
            EXPECT_NE(Part("content.xml").find("xlink:href=\"./" + name + "\""), std::string::npos)
                << name;
            const std::string entry = name + "/\" manifest:version=\"1.3\" manifest:media-type=\"";
            EXPECT_NE(manifest.find(entry + OdfFormulaType), std::string::npos) << name;
        }
    }
};

TEST_F(OdfExport, TypedLinesMakeAValidDocumentWithTheirMathML) {
    std::vector<NoteLine> lines{{test::T(" x#2#"), test::Codes({7, 8}), false},
                                {test::T("   "), {}, false}}; // holds nothing: no object
    for (const test::CorpusLine& typed : test::RandomTypedLines(40, 31))
        lines.push_back({typed.line.text, typed.line.codes, typed.plainText});
    Check(lines);
}

TEST_F(OdfExport, MarkupAndControlBytesStayWellFormed) {
    const Bytes hostile = " a<b && c]]>d \x01\x02\x1b\x7f\t\"e\"  '";
    Check({{hostile, {}, true},
           {hostile, {}, false},
           {" ]]><![CDATA[" + test::T("#1#2#"), test::Codes({15, 16, 17}), false}});
}

} // namespace
} // namespace zelm
