// Project, materials and output in folders whose names are not ASCII: within the code page of a
// western Windows (German) and beyond it (Chinese), where a result reader on Windows receives
// the project's short name.
#include "cli_export_fixture.h"
#include "platform/utf8_path.h"
#include "readers/hdf5/project_writer.h"

#include <filesystem>

namespace integration {
namespace {

using NonAsciiPaths = CliExport;

TEST_F(NonAsciiPaths, ExportLikeAnAsciiFolderThroughEveryReader) {
    WriteProject(demo.contents);
    const std::vector<std::string> readers{"", BRENWICK_HDF5_READER_LIBRARY};
    for (const std::string folder_name : {"Grüße", "電場"}) {
        const std::string folder = dir / folder_name;
        std::filesystem::create_directory(PathFromText(folder));
        const std::string named_project = folder + "/Feld " + folder_name + ".cst";
        const std::string named_materials = folder + "/Stoffe " + folder_name + ".xml";
        const std::string named_output = folder + "/Karte " + folder_name + ".efm";
        WriteProjectFile(named_project, demo.contents);
        WriteMaterialFile(named_materials, demo.materials);
        for (const std::string& reader : readers) {
            SCOPED_TRACE(folder_name + (reader.empty() ? " built-in" : " " + reader));
            const auto export_to = [&](const std::string& path) {
                std::vector<std::string> arguments{"export",        named_project, "--materials",
                                                   named_materials, "--output",    path};
                if (!reader.empty()) arguments.insert(arguments.begin(), {"--reader", reader});
                ExpectSuccess(RunCli(arguments));
            };
            export_to(output);
            export_to(named_output);
            EXPECT_EQ(test_files::ReadBytes(named_output), test_files::ReadBytes(output));
        }
    }
}

}  // namespace
}  // namespace integration
