// Every export reads the project file and the material file as they are when it runs.
#include "engine/project/open_project.h"
#include "engine/readout.h"
#include "engine_test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <utility>

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

// The scripted reader stands for what the project file holds: a test that changes the file
// installs what the reader shall find in it.
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

struct Change {
    const char* name;
    std::function<void()> change;
    int open_status;      // of the reader, which finds Version(4, 5) in the changed file; -1: no change
    std::string failure;  // how the next export starts to fail (its message and cause); "" when it writes `written`
    std::pair<int, int> written;
};

}  // namespace

// Stale data of the first export would spoil Version(4, 5). Whatever happened, the file written
// anew afterwards is read by the next export.
TEST_F(ChangedInputs, AProjectFileChangedSinceItWasOpenedIsOpenedAgainBeforeTheExportReadsIt) {
    bool while_read = false;
    const std::string not_opened = OpenFailureMessage(project) + "\n";
    const std::vector<Change> cases{
        {"unchanged", [] {}, -1, "", {3, 1}},
        {"rewritten in place", [&] { WriteText(project, "second version"); }, 0, "", {4, 2}},
        {"replaced by rename", [&] { ReplaceByRename(project, "second"); }, 0, "", {4, 2}},
        {"truncated", [&] { fs::resize_file(project, 0); }, 3, not_opened, {}},
        {"deleted",
         [&] { fs::remove(project); },
         0,
         not_opened + "The project file \"" + project + "\" does not exist.",
         {}},
        {"changed while read", [&] { while_read = true; }, -1, kChangedWhileRead, {}},
    };
    for (const Change& c : cases) {
        SCOPED_TRACE(c.name);
        OpenAndExport(Catalogue("2", "5"));
        const std::vector<unsigned char> first = ReadBytes(output);
        c.change();
        if (c.open_status >= 0) {
            fake_reader::Current() = Version(4, 5);
            fake_reader::Current().open_status = c.open_status;
        }
        engine->SetProgressListener([&](const ExportProgress& progress) {
            if (progress.stage == ExportStage::ReadingPotential && std::exchange(while_read, false)) {
                WriteText(project, "changed during the export");
            }
        });
        const std::string failure = Export();
        if (c.failure.empty()) {
            ASSERT_EQ(failure, "");
            EXPECT_EQ(Written(), c.written);
            const bool reopened = c.open_status >= 0;
            EXPECT_EQ(engine->LastExport().notes.size(), reopened ? 1u : 0u);
            EXPECT_EQ(fake_reader::CallCount("CST_GetMaterialMatrixHexMesh"), reopened ? 2 : 1);
        } else {
            EXPECT_TRUE(failure.starts_with(c.failure)) << failure;
            EXPECT_EQ(ReadBytes(output), first);
        }

        WriteText(project, "third version, longer");
        fake_reader::Current() = Version(5, 2);
        ASSERT_EQ(Export(), "");
        EXPECT_EQ(Written(), (std::pair{5, 1}));
        EXPECT_EQ(engine->LastExport().notes, std::vector<std::string>{kReopened});
    }
}

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
         "PrepareMaterialData: Error during parsing Materials.xml file.\nThe material file \"" + materials +
             "\" does not exist.",
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
