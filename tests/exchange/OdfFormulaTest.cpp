// The .odt of notes judged by tools that did not write it: unzip tests the container, xmllint
// reads every XML part, and each formula object holds the MathML writer's form of its line.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "exchange/MathWriters.h"
#include "exchange/OdfFormula.h"
#include "support/FormulaCorpus.h"

namespace zelm {
namespace {

namespace fs = std::filesystem;

struct ShellRun {
    int status;
    std::string out;
};

ShellRun Shell(const std::string& command) {
    ShellRun run{-1, {}};
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        run.out.append(buffer, n);
    run.status = pclose(pipe);
    return run;
}

std::string Quoted(const std::string& s) {
    return "'" + s + "'";
}

// The picture each formula line gets, told apart by its line.
OdfPicture FakePicture(std::size_t line) {
    return {"picture of line " + std::to_string(line), 40 + int(line), 20};
}

class OdfExport : public ::testing::Test {
protected:
    fs::path dir = fs::temp_directory_path() / ("odf-test-" + std::to_string(getpid()));
    fs::path odt = dir / "notes.odt";

    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }

    fs::path parts = dir / "parts";

    std::string Part(const std::string& name) {
        std::ifstream file(parts / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), {}};
    }

    // Writes `lines` and judges the container, its parts and its formulas.
    void Check(const std::vector<NoteLine>& lines) {
        {
            std::ofstream file(odt, std::ios::binary);
            WriteOdt(lines, FakePicture, [&](std::string_view piece) {
                file.write(piece.data(), std::streamsize(piece.size()));
            });
        }
        const ShellRun test = Shell("unzip -t " + Quoted(odt));
        ASSERT_EQ(test.status, 0) << test.out;
        ExpectMimetypeFirstAndStored();
        ASSERT_EQ(Shell("unzip -q -o " + Quoted(odt) + " -d " + Quoted(parts)).status, 0);
        const std::string manifest = Part("META-INF/manifest.xml");
        std::istringstream names(Shell("unzip -Z1 " + Quoted(odt)).out);
        std::string xmlParts;
        for (std::string name; std::getline(names, name);) {
            if (name.ends_with(".xml")) xmlParts += " " + Quoted(parts / name);
            if (name != "mimetype" && name != "META-INF/manifest.xml") {
                EXPECT_NE(manifest.find("manifest:full-path=\"" + name + "\""), std::string::npos)
                    << name << " missing from the manifest";
            }
        }
        const ShellRun lint = Shell("xmllint --noout --nonet" + xmlParts);
        EXPECT_EQ(lint.status, 0) << lint.out;
        const std::string content = Part("content.xml");
        int object = 0;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].plainText || HoldsNothing(lines[i])) continue;
            const std::string name = "Object " + std::to_string(++object);
            const std::string math = ToMathMLBlock(ContentTree(lines[i]));
            EXPECT_NE(Part(name + "/content.xml").find(math), std::string::npos) << name;
            EXPECT_EQ(Part("ObjectReplacements/" + name), FakePicture(i).png) << name;
            EXPECT_NE(content.find("xlink:href=\"./" + name + "\""), std::string::npos) << name;
            EXPECT_NE(manifest.find("\"" + name +
                                    "/\" manifest:version=\"1.3\" "
                                    "manifest:media-type=\"" +
                                    std::string(OdfFormulaType) + "\""),
                      std::string::npos)
                << name;
        }
        EXPECT_EQ(content.find("xlink:href=\"./Object " + std::to_string(object + 1) + "\""),
                  std::string::npos);
    }

    // Readers find the type in the first local header: the name, no compression, the data.
    void ExpectMimetypeFirstAndStored() {
        std::ifstream file(odt, std::ios::binary);
        std::string head(200, '\0');
        file.read(head.data(), std::streamsize(head.size()));
        const auto u16 = [&](int at) {
            return int(static_cast<unsigned char>(head[at])) |
                   int(static_cast<unsigned char>(head[at + 1])) << 8;
        };
        EXPECT_EQ(head.substr(0, 4), "PK\x03\x04");
        EXPECT_EQ(u16(8), 0) << "compressed";
        ASSERT_EQ(u16(26), 8);
        EXPECT_EQ(head.substr(30, 8), "mimetype");
        EXPECT_EQ(head.substr(38 + u16(28), 39), "application/vnd.oasis.opendocument.text");
    }
};

TEST_F(OdfExport, TypedLinesMakeAValidDocumentWithTheirMathML) {
    std::vector<NoteLine> lines;
    for (const test::CorpusLine& typed : test::RandomTypedLines(40, 31))
        lines.push_back({typed.line.text, typed.line.codes, typed.plainText});
    lines.push_back({test::T(" x#2#"), test::Codes({7, 8}), false});
    lines.push_back({test::T("   "), {}, false}); // holds nothing: no object
    Check(lines);
}

TEST_F(OdfExport, MarkupAndControlBytesStayWellFormed) {
    const Bytes hostile = " a<b && c]]>d \x01\x02\x1b\x7f\t\"e\"  '";
    Check({{hostile, {}, true},
           {hostile, {}, false},
           {" ]]>" + test::T("#1#2#"), test::Codes({15, 16, 17}), false},
           {"\x03\x04<![CDATA[x]]>", {}, true}});
    const std::string content = Part("content.xml");
    EXPECT_EQ(content.find("]]>"), std::string::npos);
    EXPECT_EQ(content.find('\x01'), std::string::npos);
}

} // namespace
} // namespace zelm
