// Helpers shared by the engine tests: temporary directories, file contents, scripted
// projects for the fake reader and a reader of export files that trusts only the header.
#ifndef BRENWICK_TESTS_ENGINE_TEST_SUPPORT_H
#define BRENWICK_TESTS_ENGINE_TEST_SUPPORT_H

#include "fake_reader.h"
#include "material.h"
#include "readout.h"
#include "test_files.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace engine_test {

using namespace brenwick;

inline constexpr const char* default_potential = "2D/3D Results\\Potentials";

using test_files::ReadBytes;
using test_files::TempDir;
using test_files::WriteBytes;
using test_files::WriteText;

// A project whose mesh has the given lines and whose default potential is a real scalar
// result with one distinct value per node.
fake_reader::Project MeshProject(const std::vector<double>& x, const std::vector<double>& y,
                                 const std::vector<double>& z);
// nx, ny, nz lines spaced `spacing` apart, starting at 0.
fake_reader::Project UniformProject(int nx, int ny, int nz, double spacing = 1.0);
std::vector<double> UniformLines(int count, double spacing);

// The potential values MeshProject stores for a mesh of `nodes` nodes.
std::vector<float> PotentialValues(std::size_t nodes);

// A material matrix for quantity code 0 or 3 from which the engine recovers `properties`
// (one value per element) as the element properties: every component of an element's lower
// corner node carries the property, converted back through the element's inv factor.
std::vector<float> MatrixForProperties(const fake_reader::Project& project, const std::vector<float>& properties,
                                       unsigned quantity);

// Destroys an engine with its close line kept off the console.
struct QuietDelete {
    void operator()(CST_Readout* engine) const;
};
using Engine = std::unique_ptr<CST_Readout, QuietDelete>;

// Installs the project and constructs the engine on it, keeping its output off the console.
// Tests of the close line take the pointer over: std::unique_ptr<CST_Readout>(e.release()).
Engine OpenEngine(const fake_reader::Project& project, const std::string& project_path = "project.cst");

// Writes a material file holding these records; Count states their number unless given.
std::string MaterialXml(const std::vector<Material>& materials, const std::string& count = "");
void WriteMaterialFile(const std::string& path, const std::vector<Material>& materials);

// Whether `text` holds `number` as a whole number (not as part of a longer one), or `word`
// as a whole word.
bool NamesNumber(const std::string& text, long long number);
bool NamesWord(const std::string& text, const std::string& word);

// Runs `action` with standard output captured and returns what it wrote.
std::string StdoutOf(const std::function<void()>& action);
// Runs `action` and returns the text of the std::exception it throws ("" when none).
std::string FailureOf(const std::function<void()>& action);

// Sets the engine's worker count for one scope.
class WorkerCountScope {
public:
    explicit WorkerCountScope(unsigned count);
    ~WorkerCountScope();
    WorkerCountScope(const WorkerCountScope&) = delete;
    WorkerCountScope& operator=(const WorkerCountScope&) = delete;
};

// An export file taken apart using nothing but the counts of its header.
struct ParsedExport {
    std::map<std::string, long long> header;  // key -> value of the six lines
    std::string header_text;                  // the text before the NUL
    std::vector<double> x_lines, y_lines, z_lines;
    std::vector<float> node_values;
    std::vector<float> element_properties;
    std::vector<unsigned char> element_materials;
    struct Record {
        float id = 0;
        std::int32_t length = 0;
        std::string description;  // without its NUL
        bool nul_terminated = false;
        float eps = 0, mue = 0, rho = 0;
    };
    std::vector<Record> materials;
    std::size_t parsed_size = 0;  // bytes the header accounts for
};

// Throws std::runtime_error when the bytes are shorter than the header says.
ParsedExport ParseExport(const std::vector<unsigned char>& bytes);

// Forks; the child runs `action` and sends the text of the std::exception it throws
// ("" when none) back to the parent, which returns it.
std::string FailureInChild(const std::function<void()>& action);

}  // namespace engine_test

#endif
