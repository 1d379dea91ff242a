// The file a path names as it was typed, pasted or dropped: blanks, quotes and file:// addresses
// around an existing file are taken off, and a name that really holds them is kept.
#include "engine/support/typed_path.h"
#include "platform/utf8_path.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace brenwick;
using namespace test_files;

namespace {

// A path as a file manager puts it on the clipboard: forward slashes, blanks as %20, and on
// Windows a slash before the drive.
std::string Address(const std::string& host, const std::string& path) {
    std::string encoded;
    for (const char c : PathFromText(path).generic_u8string())
        encoded += c == ' ' ? std::string("%20") : std::string(1, c);
    return "file:" + host + (encoded.starts_with('/') ? "" : "/") + encoded;
}

TEST(TypedPath, TakesTheFileAPastedPathNamesAndKeepsNamesThatHoldBlanksOrQuotes) {
    TempDir dir;
    const std::string project = dir / "d.cst";
    const std::string spaced = dir / "my file.cst";
    WriteText(project, "x");
    WriteText(spaced, "x");
    struct Case {
        const char* name;
        std::string text, named;
    };
    std::vector<Case> cases{
        {"an existing file", project, project},
        {"blanks and a line end around it", " \t" + project + "\r\n", project},
        {"double quotes", "\"" + project + "\"", project},
        {"single quotes around a name with a blank", "'" + spaced + "'", spaced},
        {"an address", Address("//", spaced), spaced},
        {"an address of localhost", Address("//LocalHost", project), project},
        {"an address without host", Address("", project), project},
        {"a quoted address with a blank after it", "\"" + Address("//", project) + "\" ", project},
        {"a missing file keeps its blank, which the cause then shows", dir / "none.cst ", dir / "none.cst "},
        {"a new file in an existing folder, quoted", "\"" + (dir / "new.efm") + "\"", dir / "new.efm"},
        {"a new name with a blank in an existing folder", dir / "new.efm ", dir / "new.efm "},
        {"an address with a broken escape", Address("//", dir / "d%2.cst"), Address("//", dir / "d%2.cst")},
        {"quotes that do not match", "\"" + project + "'", "\"" + project + "'"},
        {"standard output", "-", "-"},
        {"nothing", "", ""},
    };
#if defined(_WIN32)
    // Windows opens a name with a blank after it as the name without, so it is taken as typed.
    cases.push_back({"a blank after it", project + " ", project + " "});
    cases.push_back({"a drive letter in an address", "file:///" + PathFromText(project).generic_string(), project});
#else
    cases.push_back({"a blank after it", project + " ", project});
    // Names that really hold blanks or quotes, which Windows does not allow.
    const std::string trailing = dir / "trail.cst ";
    const std::string quoted = dir / "\"q.cst\"";
    WriteText(trailing, "x");
    WriteText(quoted, "x");
    cases.push_back({"a name that ends in a blank", trailing, trailing});
    cases.push_back({"a name in quotes", quoted, quoted});
    cases.push_back({"an address of another host", Address("//server", project), Address("//server", project)});
#endif
    for (const Case& with : cases) {
        SCOPED_TRACE(with.name);
        EXPECT_EQ(PathFromText(TypedPath(with.text)), PathFromText(with.named));
    }
}

}  // namespace
