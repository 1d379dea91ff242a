#include "engine_test_support.h"

#include "parallel.h"
#include "reference_inv.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <stdexcept>

using namespace brenwick;

namespace fs = std::filesystem;

namespace engine_test {

std::vector<double> UniformLines(int count, double spacing) {
    std::vector<double> lines(static_cast<std::size_t>(count));
    for (int index = 0; index < count; ++index) lines[static_cast<std::size_t>(index)] = index * spacing;
    return lines;
}

std::vector<float> PotentialValues(std::size_t nodes) {
    std::vector<float> values(nodes);
    for (std::size_t n = 0; n < nodes; ++n) values[n] = 0.25f * static_cast<float>(n) - 3.0f;
    return values;
}

fake_reader::Project MeshProject(const std::vector<double>& x, const std::vector<double>& y,
                                 const std::vector<double>& z) {
    fake_reader::Project project;
    project.dims = {static_cast<int>(x.size()), static_cast<int>(y.size()), static_cast<int>(z.size())};
    project.lines = x;
    project.lines.insert(project.lines.end(), y.begin(), y.end());
    project.lines.insert(project.lines.end(), z.begin(), z.end());
    project.results.push_back({default_potential, 4, PotentialValues(x.size() * y.size() * z.size())});
    return project;
}

fake_reader::Project UniformProject(int nx, int ny, int nz, double spacing) {
    return MeshProject(UniformLines(nx, spacing), UniformLines(ny, spacing), UniformLines(nz, spacing));
}


std::vector<float> MatrixForProperties(const fake_reader::Project& project, const std::vector<float>& properties,
                                       unsigned quantity) {
    const auto nx = static_cast<std::size_t>(project.dims[0]);
    const auto ny = static_cast<std::size_t>(project.dims[1]);
    const auto nz = static_cast<std::size_t>(project.dims[2]);
    const std::vector<double> x(project.lines.begin(), project.lines.begin() + static_cast<long>(nx));
    const std::vector<double> y(project.lines.begin() + static_cast<long>(nx),
                                project.lines.begin() + static_cast<long>(nx + ny));
    const std::vector<double> z(project.lines.begin() + static_cast<long>(nx + ny), project.lines.end());
    const std::size_t nodes = nx * ny * nz;
    // Nodes that are no element's lower corner get a value that would show up if used.
    std::vector<float> matrix(3 * nodes, 1e30f);
    for (std::size_t k = 0; k + 1 < nz; ++k) {
        for (std::size_t j = 0; j + 1 < ny; ++j) {
            for (std::size_t i = 0; i + 1 < nx; ++i) {
                const std::array<double, 3> inv = reference::InvFactors(x, y, z, i, j, k, quantity);
                const double p = properties[i + (nx - 1) * (j + (ny - 1) * k)];
                const std::size_t s = i + nx * (j + ny * k);
                for (std::size_t c = 0; c < 3; ++c) {
                    matrix[s + c * nodes] =
                        static_cast<float>(quantity == 0 ? 1 / (p * inv[c] * 8.85418782e-12) : p * inv[c]);
                }
            }
        }
    }
    return matrix;
}

void QuietDelete::operator()(CST_Readout* engine) const {
    std::streambuf* console = std::cout.rdbuf(nullptr);
    delete engine;
    std::cout.rdbuf(console);
}

Engine OpenEngine(const fake_reader::Project& project, const std::string& project_path) {
    fake_reader::Install(project);
    Engine engine;
    StdoutOf([&] { engine.reset(new CST_Readout(project_path)); });
    return engine;
}

namespace {

std::string Number(float value) {
    std::ostringstream text;
    text.precision(9);
    text << value;
    return text.str();
}

}  // namespace

std::string MaterialXml(const std::vector<Material>& materials, const std::string& count) {
    std::ostringstream xml;
    xml << "<?xml version=\"1.0\"?>\n<Materials Count=\""
        << (count.empty() ? std::to_string(materials.size()) : count) << "\">\n";
    for (const Material& m : materials) {
        xml << "  <Material ID=\"" << Number(m.ID) << "\" description=\"" << m.description << "\" eps=\""
            << Number(m.eps) << "\" mue=\"" << Number(m.mue) << "\" rho=\"" << Number(m.rho) << "\" rho_set=\""
            << Number(m.rho_set) << "\"/>\n";
    }
    xml << "</Materials>\n";
    return xml.str();
}

void WriteMaterialFile(const std::string& path, const std::vector<Material>& materials) {
    WriteText(path, MaterialXml(materials));
}

namespace {

// Whether `token` occurs in `text` without a character of `part_of` directly before or after it.
bool NamesToken(const std::string& text, const std::string& token, const std::function<bool(char)>& part_of) {
    for (std::size_t at = text.find(token); at != std::string::npos; at = text.find(token, at + 1)) {
        const bool open_before = at == 0 || !part_of(text[at - 1]);
        const bool open_after = at + token.size() == text.size() || !part_of(text[at + token.size()]);
        if (open_before && open_after) return true;
    }
    return false;
}

}  // namespace

bool NamesNumber(const std::string& text, long long number) {
    return NamesToken(text, std::to_string(number), [](char c) { return (c >= '0' && c <= '9') || c == '-'; });
}

bool NamesWord(const std::string& text, const std::string& word) {
    return NamesToken(text, word, [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
    });
}

std::string StdoutOf(const std::function<void()>& action) {
    testing::internal::CaptureStdout();
    try {
        action();
    } catch (...) {
        testing::internal::GetCapturedStdout();
        throw;
    }
    return testing::internal::GetCapturedStdout();
}

std::string FailureOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& failure) {
        return failure.what();
    }
    return "";
}

WorkerCountScope::WorkerCountScope(unsigned count) { SetWorkerCount(count); }
WorkerCountScope::~WorkerCountScope() { SetWorkerCount(0); }

namespace {

class ByteReader {
public:
    explicit ByteReader(const std::vector<unsigned char>& bytes) : bytes_(bytes) {}

    template <typename T>
    std::vector<T> Block(long long count) {
        if (count < 0) throw std::runtime_error("negative count in the header");
        std::vector<T> values(static_cast<std::size_t>(count));
        Take(values.data(), values.size() * sizeof(T));
        return values;
    }
    template <typename T>
    T Value() {
        T value{};
        Take(&value, sizeof(T));
        return value;
    }
    std::size_t offset() const { return offset_; }

private:
    void Take(void* destination, std::size_t size) {
        if (size > bytes_.size() - offset_) throw std::runtime_error("the file is shorter than its header says");
        if (size > 0) std::memcpy(destination, bytes_.data() + offset_, size);
        offset_ += size;
    }
    const std::vector<unsigned char>& bytes_;
    std::size_t offset_ = 0;
};

}  // namespace

ParsedExport ParseExport(const std::vector<unsigned char>& bytes) {
    if (bytes.size() < 1000) throw std::runtime_error("no complete header");
    ParsedExport parsed;
    const auto nul = std::find(bytes.begin(), bytes.begin() + 1000, '\0');
    parsed.header_text.assign(bytes.begin(), nul);
    std::istringstream pairs(parsed.header_text);
    std::string pair;
    while (pairs >> pair) {
        const auto equals = pair.find('=');
        if (equals == std::string::npos) throw std::runtime_error("not a key=value pair: " + pair);
        parsed.header[pair.substr(0, equals)] = std::stoll(pair.substr(equals + 1));
    }
    auto count = [&](const char* key) {
        const auto found = parsed.header.find(key);
        if (found == parsed.header.end()) throw std::runtime_error(std::string("no header key ") + key);
        return found->second;
    };

    ByteReader reader(bytes);
    reader.Block<char>(1000);
    parsed.x_lines = reader.Block<double>(count("mesh_xlines"));
    parsed.y_lines = reader.Block<double>(count("mesh_ylines"));
    parsed.z_lines = reader.Block<double>(count("mesh_zlines"));
    parsed.node_values = reader.Block<float>(count("nodes_scalar"));
    parsed.element_properties = reader.Block<float>(count("elements_scalar"));
    parsed.element_materials = reader.Block<unsigned char>(count("elements_material"));
    for (long long m = 0; m < count("n_materials"); ++m) {
        ParsedExport::Record record;
        record.id = reader.Value<float>();
        record.length = reader.Value<std::int32_t>();
        if (record.length < 1) throw std::runtime_error("material record with a length below 1");
        const std::vector<char> text = reader.Block<char>(record.length);
        record.nul_terminated = text.back() == '\0';
        record.description.assign(text.begin(), text.end() - 1);
        record.eps = reader.Value<float>();
        record.mue = reader.Value<float>();
        record.rho = reader.Value<float>();
        parsed.materials.push_back(record);
    }
    parsed.parsed_size = reader.offset();
    return parsed;
}

std::string FailureInChild(const std::function<void()>& action) {
    int channel[2];
    if (pipe(channel) != 0) throw std::runtime_error("pipe failed");
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child < 0) throw std::runtime_error("fork failed");
    if (child == 0) {
        close(channel[0]);
        const std::string text = FailureOf(action);
        const ssize_t written = write(channel[1], text.data(), text.size());
        _exit(written == static_cast<ssize_t>(text.size()) ? 0 : 1);
    }
    close(channel[1]);
    std::string text;
    char buffer[512];
    ssize_t got;
    while ((got = read(channel[0], buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<std::size_t>(got));
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        throw std::runtime_error("the child process did not end normally");
    }
    return text;
}

}  // namespace engine_test
