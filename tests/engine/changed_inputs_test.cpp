// Every export reads the material file as it is when it runs.
#include "engine/readout.h"
#include "engine_test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>

using namespace brenwick;

using namespace engine_test;

namespace {

namespace fs = std::filesystem;

// nx x 3 x 3 lines, every element of the relative permittivity `eps`.
fake_reader::Project Version(int nx, float eps) {
    fake_reader::Project project = UniformProject(nx, 3, 3);
    project.matrices[0] =
        MatrixForProperties(project, std::vector<float>(static_cast<std::size_t>(nx - 1) * 4, eps), 0);
    return project;
}

// "low" (ID 1) and "high" (ID 2) with these permittivities.
std::string Catalogue(const std::string& low, const std::string& high, const std::string& count = "2") {
    return "<Materials Count=\"" + count + "\"><Material ID=\"1\" eps=\"" + low + "\"/><Material ID=\"2\" eps=\"" +
           high + "\"/></Materials>";
}

void ReplaceByRename(const std::string& path, const std::string& text) {
    WriteText(path + ".new", text);
    fs::rename(path + ".new", path);
}

class ChangedInputs : public testing::Test {
protected:
    // Opens Version(3, 2) with this material file and exports it.
    void OpenAndExport(const std::string& catalogue) {
        engine.reset();  // closed before the reader's calls are counted anew
        WriteText(project, "first version");
        WriteText(materials, catalogue);
        engine = OpenEngine(Version(3, 2), project);
        engine->material_file = materials;
        Export();
    }
    // The failure of an export, with its cause on the next line; "" when it wrote the output.
    std::string Export() {
        try {
            engine->SaveBinaryFile(output, false, false);
        } catch (const EngineError& failure) {
            return failure.what() + CauseLine(failure);
        }
        return "";
    }
    // The x lines of the output and the byte of its elements.
    std::pair<int, int> Written() const {
        const test_efm::MapContents written = test_efm::Read(output);
        return {written.dims[0], written.bytes.at(0)};
    }

    TempDir dir;
    const std::string project = dir / "project.cst";
    const std::string materials = dir / "materials.xml";
    const std::string output = dir / "field.efm";
    Engine engine;
};

}  // namespace

namespace {

struct Reload {
    const char* name;
    const char* count;  // of the first file, which holds two records
    std::function<void()> change;
    std::string failure;  // of every export after the change; "" when it writes `byte`
    int byte;
};

}  // namespace

// Every element has the permittivity 2, "low" in the first file; each change makes it "high".
TEST_F(ChangedInputs, TheCatalogueIsReadAgainWhenTheMaterialPathOrItsFileChanged) {
    const std::string swapped = Catalogue("5", "2");
    const auto other_path = [&] {
        engine->material_file = dir / "other.xml";
        WriteText(engine->material_file, swapped);
    };
    const auto same_size_later = [&] {
        const fs::file_time_type written = fs::last_write_time(materials);
        WriteText(materials, swapped);
        fs::last_write_time(materials, written + std::chrono::seconds(1));
    };
    const std::vector<Reload> cases{
        {"another path", "2", other_path, "", 2},
        {"rewritten", "2", [&] { WriteText(materials, Catalogue("5.0", "2.0")); }, "", 2},
        {"rewritten to as many bytes, a second later", "2", same_size_later, "", 2},
        {"replaced by rename", "2", [&] { ReplaceByRename(materials, swapped); }, "", 2},
        {"removed", "2", [&] { fs::remove(materials); },
         "PrepareMaterialData: Error during parsing Materials.xml file.\nThe material file " + materials +
             " does not exist.",
         0},
        // The records read stay after a "Count" that failed the first export.
        {"unchanged after a wrong count", "3", [] {}, "", 1},
    };
    for (const Reload& c : cases) {
        SCOPED_TRACE(c.name);
        OpenAndExport(Catalogue("2", "5", c.count));
        c.change();
        for (int time = 0; time < 2; ++time) {
            EXPECT_EQ(Export(), c.failure);
            if (c.failure.empty()) {
                EXPECT_EQ(Written(), (std::pair{3, c.byte}));
            }
        }
    }
}
