// The material file: reading the catalogue from it, and writing one.
#include "engine/materials/material_file.h"
#include "engine/materials/material_numbers.h"
#include "tests/engine/engine_test_support.h"
#include "tests/support/efm_files.h"
#include "tests/support/environment_variable.h"
#include "tests/support/text_encodings.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>

using namespace brenwick;

using namespace engine_test;

namespace {

const char* const parse_failure = "PrepareMaterialData: Error during parsing Materials.xml file.";
const char* const count_failure =
    "PrepareMaterialData: Warning. Count attribute doesn't represent actual number of materials.";

class MaterialFile : public testing::Test {
protected:
    // Reads `xml` as a material file into the catalogue; returns the failure text ("" if none).
    std::string Read(const std::string& xml) {
        WriteText(dir / "materials.xml", xml);
        return ReadFile(dir / "materials.xml");
    }
    std::string ReadBytesAsFile(const std::vector<unsigned char>& bytes) {
        WriteBytes(dir / "materials.xml", bytes);
        return ReadFile(dir / "materials.xml");
    }
    std::string ReadFile(const std::string& path) {
        return FailureOf([&] { ReadMaterialFile(path, catalogue, number_texts); });
    }
    const std::vector<Material>& materials() const { return catalogue; }

    TempDir dir;
    std::vector<Material> catalogue;
    std::vector<NumberText> number_texts;
};

std::string Root(const std::string& count_attribute, const std::string& children) {
    return "<?xml version=\"1.0\"?>\n<Materials" + count_attribute + ">\n" + children + "</Materials>\n";
}

void ExpectMaterial(const Material& m, float id, const std::string& description, float eps, float mue, float rho,
                    float rho_set) {
    EXPECT_EQ(m.ID, id);
    EXPECT_EQ(m.description, description);
    EXPECT_EQ(m.eps, eps);
    EXPECT_EQ(m.mue, mue);
    EXPECT_EQ(m.rho, rho);
    EXPECT_EQ(m.rho_set, rho_set);
}

}  // namespace

TEST_F(MaterialFile, HoldsTheMaterialsInFileOrder) {
    const std::string failure = Read(Root(" Count=\"3\"",
                                          "  <Material ID=\"2\" description=\"FR4\" eps=\"4.4\" mue=\"1\" rho=\"1850\" "
                                          "rho_set=\"1.85\"/>\n"
                                          "  <Material ID=\"0\" description=\"gas\" eps=\"1.0005\" mue=\"1\" "
                                          "rho=\"0.00166\" rho_set=\"0.002\"/>\n"
                                          "  <Material rho_set=\"8.96\" rho=\"8960\" mue=\"0.999994\" eps=\"1e10\" "
                                          "description=\"copper\" ID=\"1\"/>\n"));
    EXPECT_EQ(failure, "");
    ASSERT_EQ(materials().size(), 3u);
    ExpectMaterial(materials()[0], 2, "FR4", 4.4f, 1, 1850, 1.85f);
    ExpectMaterial(materials()[1], 0, "gas", 1.0005f, 1, 0.00166f, 0.002f);
    ExpectMaterial(materials()[2], 1, "copper", 1e10f, 0.999994f, 8960, 8.96f);
}

TEST_F(MaterialFile, MissingAttributesReadAsZeroAndEmptyText) {
    EXPECT_EQ(Read(Root(" Count=\"2\"", "<Material ID=\"5\" eps=\"3\"/><Material description=\"bare\"/>")), "");
    ASSERT_EQ(materials().size(), 2u);
    ExpectMaterial(materials()[0], 5, "", 3, 0, 0, 0);
    ExpectMaterial(materials()[1], 0, "bare", 0, 0, 0, 0);
}

TEST_F(MaterialFile, NumbersAreReadAsFarAsTheyAreNumeric) {
    EXPECT_EQ(Read(Root(" Count=\"1\"",
                        "<Material ID=\"2.5\" eps=\"2,5\" mue=\" -1.5e2kg\" rho=\"abc\" "
                        "rho_set=\"&#32;7.25\"/>")),
              "");
    ASSERT_EQ(materials().size(), 1u);
    ExpectMaterial(materials()[0], 2.5f, "", 2, -150, 0, 7.25f);
}

TEST_F(MaterialFile, NumbersAreRoundedToSinglePrecision) {
    EXPECT_EQ(Read(Root(" Count=\"1\"", "<Material eps=\"0.1\" rho=\"1e39\" rho_set=\"1e-50\"/>")), "");
    ASSERT_EQ(materials().size(), 1u);
    EXPECT_EQ(materials()[0].eps, 0.1f);
    EXPECT_TRUE(std::isinf(materials()[0].rho));
    EXPECT_EQ(materials()[0].rho_set, 0.0f);
}

TEST_F(MaterialFile, CountIsReadLikeAtoi) {
    const std::string two = "<Material ID=\"1\"/><Material ID=\"2\"/>";
    for (const char* count : {"2 words", " 2", "+2", "2.9", "0002"}) {
        catalogue.clear();
        EXPECT_EQ(Read(Root(std::string(" Count=\"") + count + "\"", two)), "") << "Count " << count;
        EXPECT_EQ(materials().size(), 2u) << "Count " << count;
    }
    for (const char* count : {"", "two", "-2", "x2", "99999999999999999999999"}) {
        catalogue.clear();
        EXPECT_EQ(Read(Root(std::string(" Count=\"") + count + "\"", two)), count_failure) << "Count " << count;
        EXPECT_EQ(materials().size(), 2u) << "Count " << count;
    }
}

TEST_F(MaterialFile, AMissingCountWithMaterialsIsTheWarningFailure) {
    EXPECT_EQ(Read(Root("", "<Material ID=\"1\" eps=\"4\"/>")), count_failure);
    ASSERT_EQ(materials().size(), 1u);
    EXPECT_EQ(materials()[0].eps, 4.0f);
}

TEST_F(MaterialFile, ARootWithAnotherNameGivesNoMaterialsAndNoFailure) {
    EXPECT_EQ(Read("<Material_List Count=\"2\"><Material ID=\"1\"/><Material ID=\"2\"/></Material_List>"), "");
    EXPECT_TRUE(materials().empty());
}

TEST_F(MaterialFile, ARootWithoutMaterialsAndCountZeroIsNoFailure) {
    EXPECT_EQ(Read(Root(" Count=\"0\"", "<!-- none yet -->")), "");
    EXPECT_TRUE(materials().empty());
}

TEST_F(MaterialFile, OnlyMaterialElementsDirectlyBelowTheRootAreRead) {
    EXPECT_EQ(Read(Root(" Count=\"2\"",
                        "<material ID=\"7\"/>\n<Group><Material ID=\"8\"/></Group>\n<Material ID=\"1\">"
                        "<Material ID=\"9\"/></Material>\n<MATERIAL ID=\"6\"/>text<Material ID=\"2\"/>")),
              "");
    ASSERT_EQ(materials().size(), 2u);
    EXPECT_EQ(materials()[0].ID, 1.0f);
    EXPECT_EQ(materials()[1].ID, 2.0f);
}

TEST_F(MaterialFile, AMissingFileIsTheParseFailure) {
    EXPECT_EQ(ReadFile(dir / "no such file.xml"), parse_failure);
    EXPECT_TRUE(materials().empty());
}

TEST_F(MaterialFile, MalformedXmlIsTheParseFailure) {
    for (const char* xml : {"<Materials Count=\"1\"><Material ID=\"1\"></Materials>",
                            "<Materials Count=\"1\"><Material ID=1/></Materials>", ""}) {
        EXPECT_EQ(Read(xml), parse_failure) << xml;
        EXPECT_TRUE(materials().empty()) << xml;
    }
}

TEST_F(MaterialFile, AnEmptyPathIsTheParseFailure) {
    EXPECT_EQ(ReadFile(""), parse_failure);
    EXPECT_TRUE(materials().empty());
}

TEST_F(MaterialFile, Utf16FilesAreReadWithTheirTextInUtf8) {
    const std::string xml = Root(" Count=\"2\"",
                                 "<Material ID=\"1\" description=\"Glas \xC3\xBC \xE2\x82\xAC\" eps=\"6.5\"/>"
                                 "<Material ID=\"3\" description=\"Luft\" eps=\"1\" rho_set=\"1.2\"/>");
    for (const bool big_endian : {false, true}) {
        for (const bool mark : {true, false}) {
            catalogue.clear();
            EXPECT_EQ(ReadBytesAsFile(test_files::Utf16(xml, big_endian, mark)), "")
                << (big_endian ? "big" : "little") << " endian, mark " << mark;
            ASSERT_EQ(materials().size(), 2u);
            ExpectMaterial(materials()[0], 1, "Glas \xC3\xBC \xE2\x82\xAC", 6.5f, 0, 0, 0);
            ExpectMaterial(materials()[1], 3, "Luft", 1, 0, 0, 1.2f);
        }
    }
}

namespace {

enum class Verdict { Quiet, Warned, Refused };

struct NumberCase {
    const char* attribute;
    const char* text;  // null: the attribute is left out
    unsigned quantity;
    const char* reads_as;  // the number the text is read as
    Verdict verdict;
};

// "gas" and "FR4", whose `attribute` holds `text` or is left out.
std::string NumberCatalogue(const std::string& attribute, const char* text) {
    std::map<std::string, std::string> fr4{
        {"ID", "1"}, {"eps", "4.4"}, {"mue", "1"}, {"rho", "1850"}, {"rho_set", "1.85"}};
    if (text == nullptr) fr4.erase(attribute);
    if (text != nullptr) fr4[attribute] = text;
    std::string record = "<Material description=\"FR4\"";
    for (const auto& [name, value] : fr4) record += " " + name + "=\"" + value + "\"";
    return "<Materials Count=\"2\"><Material ID=\"0\" description=\"gas\" eps=\"1\" rho_set=\"0.0012\"/>" + record +
           "/></Materials>";
}

}  // namespace

// Every element has the permittivity 4.4 and the density 1.85 of "FR4". A text that is no number
// as written refuses the export where the elements are matched against it; elsewhere the export
// writes the file that the number it is read as gives, and warns.
TEST(MaterialNumbers, TextsThatAreNoNumbersAsWrittenRefuseTheExportWhereTheyAreMatchedAndWarnElsewhere) {
    const unsigned permittivity = kQuantityPermittivity, density = kQuantityDensity;
    const std::vector<NumberCase> cases{
        {"eps", " 4.4 volts", permittivity, "4.4", Verdict::Quiet},
        {"mue", "1 (vacuum)", permittivity, "1", Verdict::Quiet},
        {"rho_set", nullptr, permittivity, "0", Verdict::Quiet},
        {"eps", "4,4", permittivity, "4", Verdict::Refused},
        {"eps", "1,0e3", permittivity, "1", Verdict::Refused},
        {"eps", "abc", permittivity, "0", Verdict::Refused},
        {"eps", "F/m 4.4", permittivity, "0", Verdict::Refused},
        {"eps", "", permittivity, "0", Verdict::Warned},
        {"eps", nullptr, permittivity, "0", Verdict::Warned},
        {"rho_set", "1,85", density, "1", Verdict::Refused},
        {"rho_set", nullptr, density, "0", Verdict::Warned},
        {"eps", "4,4", density, "4", Verdict::Warned},
        {"rho_set", "abc", permittivity, "0", Verdict::Warned},
        {"mue", "1,0", permittivity, "1", Verdict::Warned},
        {"rho", "1,85e3", permittivity, "1", Verdict::Warned},
        {"ID", "1,5", permittivity, "1", Verdict::Warned},
    };
    fake_reader::Project project = UniformProject(3, 3, 3);
    project.matrices[permittivity] = MatrixForProperties(project, std::vector<float>(8, 4.4f), permittivity);
    project.matrices[density] = MatrixForProperties(project, std::vector<float>(8, 1.85f), density);
    const TempDir dir;
    const std::string materials = dir / "materials.xml", output = dir / "field.efm", as_read = dir / "as-read.efm";
    const std::string record = "material 2 (description \"FR4\", ID 1) in " + materials + " has ";
    for (const NumberCase& c : cases) {
        const bool missing = c.text == nullptr || *c.text == '\0';
        const std::string written = missing ? "" : std::string(c.attribute) + "=\"" + c.text + "\"";
        SCOPED_TRACE(std::string(c.attribute) + " " + written + ", quantity " + std::to_string(c.quantity));
        const Engine engine = OpenEngine(project);
        engine->material_quantity = static_cast<int>(c.quantity);
        engine->material_file = materials;
        WriteText(materials, NumberCatalogue(c.attribute, c.reads_as));
        ASSERT_EQ(FailureOf([&] { engine->SaveBinaryFile(as_read, false, false); }), "");
        WriteText(materials, NumberCatalogue(c.attribute, c.text));
        WriteText(output, "earlier");

        const std::string failure = FailureOf([&] { engine->SaveBinaryFile(output, false, false); });
        const std::vector<std::string>& warnings = engine->LastExport().warnings;
        if (c.verdict == Verdict::Refused) {
            EXPECT_EQ(failure.rfind("AssignElementMaterials: Error. The elements are matched by " +
                                        std::string(c.attribute) + ", but " + record + written,
                                    0),
                      0u)
                << failure;
            EXPECT_EQ(test_files::ReadText(output), "earlier");
            continue;
        }
        ASSERT_EQ(failure, "");
        EXPECT_EQ(ReadBytes(output), ReadBytes(as_read));
        ASSERT_EQ(warnings.size(), c.verdict == Verdict::Warned ? 1u : 0u);
        if (warnings.empty()) continue;
        EXPECT_TRUE(
            warnings.front().starts_with(record + (missing ? "no value for " + std::string(c.attribute) : written)))
            << warnings.front();
        EXPECT_TRUE(
            warnings.front().ends_with(missing ? "; 0 is used." : "; it is read as " + std::string(c.reads_as) + "."))
            << warnings.front();
    }
}

namespace {

// Switches the C library's numeric conventions to German (decimal comma) for one scope, as a
// front end that adopts the user's locale does. Builds the locale in a temporary directory
// when the system has none installed.
class GermanNumericLocale {
public:
    GermanNumericLocale() : previous_(std::setlocale(LC_NUMERIC, nullptr)) {
        if (Switch()) return;
        const std::string command = "localedef -i de_DE -f UTF-8 '" + (dir_ / "de_DE.UTF-8") + "' >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0) return;
        locale_path_ = std::make_unique<test_files::EnvironmentVariableScope>("LOCPATH", dir_.path().string());
        Switch();
    }
    ~GermanNumericLocale() { std::setlocale(LC_NUMERIC, previous_.c_str()); }
    GermanNumericLocale(const GermanNumericLocale&) = delete;
    GermanNumericLocale& operator=(const GermanNumericLocale&) = delete;
    bool active() const { return active_; }

private:
    bool Switch() {
        // Windows names its locales differently.
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "German_Germany.1252"}) {
            if (std::setlocale(LC_NUMERIC, name) != nullptr) return active_ = true;
        }
        return false;
    }
    TempDir dir_;
    std::string previous_;
    std::unique_ptr<test_files::EnvironmentVariableScope> locale_path_;
    bool active_ = false;
};

}  // namespace

TEST_F(MaterialFile, NumbersUseThePointWhateverTheProcessLocale) {
    GermanNumericLocale german;
    if (!german.active()) GTEST_SKIP() << "no German locale available and none could be built";
    EXPECT_EQ(Read(Root(" Count=\"1\"", "<Material ID=\"2.5\" eps=\"2,5\" rho=\"1.25e3\"/>")), "");
    ASSERT_EQ(materials().size(), 1u);
    EXPECT_EQ(materials()[0].ID, 2.5f);
    EXPECT_EQ(materials()[0].eps, 2.0f);
    EXPECT_EQ(materials()[0].rho, 1250.0f);
}

TEST(MaterialFileWriter, WritesAFileThatReadsBackExactlyWithItsCount) {
    const TempDir dir;
    const std::vector<Material> materials{{0, 1, 1, 0.00166f, 1.66f, "gas"},
                                          {7, 2.5f, 0.999994f, 0.1f, 123.25f, "quote \" amp & angles <> apos '"},
                                          {-1, 3e38f, 1e-30f, 0, 0.1f, "Glas \xC3\xBC \xE2\x82\xAC"},
                                          {300, 4.4f, 1, 1850, 1850, ""}};
    WriteMaterialFile(dir / "materials.xml", materials);
    std::vector<Material> read;
    std::vector<NumberText> number_texts;
    ASSERT_NO_THROW(ReadMaterialFile(dir / "materials.xml", read, number_texts));
    EXPECT_TRUE(number_texts.empty());
    ASSERT_EQ(read.size(), materials.size());
    for (std::size_t m = 0; m < read.size(); ++m) {
        ExpectMaterial(read[m], materials[m].ID, materials[m].description, materials[m].eps, materials[m].mue,
                       materials[m].rho, materials[m].rho_set);
    }
}

TEST(MaterialFileWriter, WritesNumbersWithThePointWhateverTheProcessLocale) {
    GermanNumericLocale german;
    if (!german.active()) GTEST_SKIP() << "no German locale available and none could be built";
    const TempDir dir;
    WriteMaterialFile(dir / "materials.xml", {{2.5f, 4.4f, 1, 1.85f, 1850, "FR4"}});
    EXPECT_NE(test_files::ReadText(dir / "materials.xml").find("eps=\"4.4\""), std::string::npos);
}

TEST(MaterialFileWriter, AnUnwritablePathIsReportedByName) {
    const TempDir dir;
    const std::string path = dir / "missing/materials.xml";
    const std::string failure = FailureOf([&] { WriteMaterialFile(path, {{0, 1, 1, 0, 0, "gas"}}); });
    EXPECT_NE(failure.find(path), std::string::npos) << failure;
}
