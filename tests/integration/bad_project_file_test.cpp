// Files that are no usable project, handed to `brenwick-cli export`: each run ends with the
// open message naming the path, and no file is made, changed or left behind.
#include "cli_export_fixture.h"
#include "readers/hdf5/hdf5_handles.h"

#include <filesystem>

using namespace brenwick;

namespace integration {
namespace {

class BadProjectFile : public CliExport {
protected:
    void ExpectOpenRefusal() const { ExpectRefusal(ExportArguments(), OpenFailure(project)); }

    std::vector<unsigned char> ValidProjectBytes() const {
        WriteProject(demo.contents);
        return test_files::ReadBytes(project);
    }
};

TEST_F(BadProjectFile, MissingFileIsRefused) { ExpectOpenRefusal(); }

TEST_F(BadProjectFile, DirectoryIsRefused) {
    std::filesystem::create_directory(project);
    ExpectOpenRefusal();
}

TEST_F(BadProjectFile, EmptyFileIsRefused) {
    test_files::WriteBytes(project, {});
    ExpectOpenRefusal();
}

TEST_F(BadProjectFile, TextFileNamedCstIsRefused) {
    test_files::WriteText(project, "<CST project, saved as text>\r\nmesh 5 4 3\r\n");
    ExpectOpenRefusal();
}

TEST_F(BadProjectFile, Hdf5FileThatIsNoProjectIsRefused) {
    using namespace brenwick::h5;
    SilenceErrorPrinting();
    {
        const File file(H5Fcreate(project.c_str(), H5F_ACC_TRUNC, H5P_DEFAULT, H5P_DEFAULT));
        ASSERT_TRUE(file);
        const Group group(H5Gcreate2(file.get(), "mesh", H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT));
        ASSERT_TRUE(group);
    }
    ExpectOpenRefusal();
}

TEST_F(BadProjectFile, TruncatedProjectIsRefused) {
    const std::vector<unsigned char> bytes = ValidProjectBytes();
    for (const std::size_t size : {bytes.size() / 2, bytes.size() - 1}) {
        SCOPED_TRACE("cut to " + std::to_string(size) + " bytes");
        test_files::WriteBytes(project, std::vector<unsigned char>(bytes.begin(), bytes.begin() + static_cast<long>(size)));
        ExpectOpenRefusal();
    }
}

TEST_F(BadProjectFile, ZeroFilledProjectIsRefused) {
    test_files::WriteBytes(project, std::vector<unsigned char>(ValidProjectBytes().size(), 0));
    ExpectOpenRefusal();
}

}  // namespace
}  // namespace integration
