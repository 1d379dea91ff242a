// Helpers shared by the engine tests: scripted projects for the fake reader, engines whose
// informational lines a test can read, matrices for wanted element properties, and scopes for
// the worker count and environment variables.
#ifndef BRENWICK_TESTS_ENGINE_TEST_SUPPORT_H
#define BRENWICK_TESTS_ENGINE_TEST_SUPPORT_H

#include "engine/engine_defaults.h"
#include "engine/materials/material_file.h"
#include "engine/readout.h"
#include "tests/support/efm_files.h"
#include "tests/support/failure_text.h"
#include "tests/support/fake_reader.h"
#include "tests/support/test_files.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace engine_test {

using namespace brenwick;

inline constexpr const char* default_potential = kDefaultPotentialName;

using test_failures::FailureOf;
using test_files::ReadBytes;
using test_files::TempDir;
using test_files::WriteBytes;
using test_files::WriteText;
#if !defined(_WIN32)
using test_failures::FailureInChild;
#endif

// A project whose mesh has the given lines and whose default potential is a real scalar
// result with one distinct value per node.
fake_reader::Project MeshProject(const std::vector<double>& x, const std::vector<double>& y,
                                 const std::vector<double>& z);
// nx, ny, nz lines spaced `spacing` apart, starting at 0.
fake_reader::Project UniformProject(int nx, int ny, int nz, double spacing = 1.0);
std::vector<double> UniformLines(int count, double spacing);

// The reader call that reads the material matrix for a project with or without plane reads.
std::string MatrixReadCall(bool plane_reads);

// The potential values MeshProject stores for a mesh of `nodes` nodes.
std::vector<float> PotentialValues(std::size_t nodes);

// A material matrix for quantity code 0 or 3 from which the engine recovers `properties`
// (one value per element) as the element properties: every component of an element's lower
// corner node carries the property, converted back through the element's inv factor.
std::vector<float> MatrixForProperties(const fake_reader::Project& project, const std::vector<float>& properties,
                                       unsigned quantity);

// The informational lines an engine logs, kept until a test takes them.
class LogLines {
public:
    // A sink that keeps each line here; it may outlive this object.
    LogSink Sink() const;
    // The lines kept since the last call.
    std::vector<std::string> Take();

private:
    std::shared_ptr<std::vector<std::string>> lines_ = std::make_shared<std::vector<std::string>>();
};

// A sink that drops every line.
LogSink Discard();

using Engine = std::unique_ptr<CST_Readout>;

// Installs the project and constructs the engine on it with the scripted reader, logging into `log`.
Engine OpenEngine(const fake_reader::Project& project, const std::string& project_path = "project.cst",
                  LogSink log = Discard());

// The element properties computed for `project` with `quantity` (brenwick::MaterialData),
// logging into `log`.
std::vector<float> ComputedProperties(const fake_reader::Project& project, unsigned quantity, LogSink log = Discard());

// The file an export of `engine` with these options writes, read back through efm::Reader. A
// failed export fails the test and gives empty contents.
test_efm::MapContents Exported(CST_Readout& engine, bool only_potentials, bool write_property);

// Whether `text` holds `number` as a whole number (not as part of a longer one), or `word`
// as a whole word.
bool NamesNumber(const std::string& text, long long number);
bool NamesWord(const std::string& text, const std::string& word);

// Runs `action` with standard output captured and returns what reached it, for the tests of
// what an engine keeps off standard output.
std::string StdoutOf(const std::function<void()>& action);

// Sets the engine's worker count for one scope.
class WorkerCountScope {
public:
    explicit WorkerCountScope(unsigned count);
    ~WorkerCountScope();
    WorkerCountScope(const WorkerCountScope&) = delete;
    WorkerCountScope& operator=(const WorkerCountScope&) = delete;
};

}  // namespace engine_test

#endif
