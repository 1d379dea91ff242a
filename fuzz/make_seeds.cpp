// Writes the seed corpora of the fuzz targets: brenwick-fuzz-seeds DIRECTORY makes one
// directory per target below DIRECTORY. Each seed is an ordinary input or one that differs
// from it in a single way, so that the fuzzers start from every kind of trouble at once.
#include "efm/reader.h"
#include "engine/export/export_file.h"
#include "engine/materials/material_file.h"
#include "project_recipe.h"
#include "tests/support/test_files.h"
#include "tests/support/text_encodings.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

using namespace brenwick;

namespace {

using Bytes = std::vector<std::uint8_t>;

class Corpus {
public:
    Corpus(const fs::path& root, const std::string& target) : dir_(root / target) { fs::create_directories(dir_); }

    void Add(const std::string& name, const Bytes& bytes) const {
        test_files::WriteBytes((dir_ / name).string(), bytes);
    }
    void Add(const std::string& name, const std::string& text) const { Add(name, Bytes(text.begin(), text.end())); }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

private:
    fs::path dir_;
};

// Material files

std::string Catalogue(const std::string& count, const std::string& records) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Materials Count=\"" + count + "\">\n" + records + "</Materials>\n";
}

void MaterialSeeds(const fs::path& root) {
    const Corpus corpus(root, "material_file_fuzz");
    const std::string records =
        "  <Material ID=\"0\" description=\"gas\" eps=\"1\" mue=\"1\" rho=\"0.0012\" rho_set=\"1\"/>\n"
        "  <Material ID=\"1\" description=\"Kapton® polyimide\" eps=\"3.4\" mue=\"1\" rho=\"1420\" rho_set=\"2\"/>\n"
        "  <Material ID=\"2\" description=\"Glas ε≈6 𝔊\" eps=\"6\" mue=\"0.99\" rho=\"2500\" rho_set=\"3\"/>\n";
    const std::string valid = Catalogue("3", records);
    corpus.Add("valid.xml", valid);
    corpus.Add("utf8-bom.xml", "\xEF\xBB\xBF" + valid);
    corpus.Add("utf16le-bom.xml", test_files::Utf16(valid, false, true));
    corpus.Add("utf16be-bom.xml", test_files::Utf16(valid, true, true));
    corpus.Add("utf16le-no-bom.xml", test_files::Utf16(valid, false, false));
    corpus.Add("utf32le-bom.xml", test_files::Utf32LittleEndian(valid));
    corpus.Add("unclosed.xml", valid.substr(0, valid.size() / 2));
    corpus.Add("mismatched-tag.xml", Catalogue("1", "  <Material ID=\"1\" eps=\"2\"></Materia>\n"));
    corpus.Add("huge-numbers.xml",
               Catalogue("99999999999999999999999",
                         "  <Material ID=\"3.5e38\" eps=\"1e400\" mue=\"-1e400\" rho=\"1e-400\" rho_set=\"1e-45\"/>\n"));
    corpus.Add("missing-attributes.xml", Catalogue("2", "  <Material/>\n  <Material ID=\"4\" description=\"no numbers\"/>\n"));
    corpus.Add("count-forms.xml", Catalogue(" +2 materials", "  <Material ID=\"1\" eps=\"2\"/>\n  <Material ID=\"2\" eps=\"3\"/>\n"));
    corpus.Add("negative-count.xml", Catalogue("-1", "  <Material ID=\"1\" eps=\"2\"/>\n"));
    corpus.Add("entities.xml",
               Catalogue("1", "  <Material ID=\"&#x31;\" description=\"a&amp;b&lt;&#169;&#x1F600;\tx\" eps=\"&#50;.5\"/>\n"));
    corpus.Add("number-forms.xml",
               Catalogue("5", "  <Material ID=\"1\" eps=\"2,5\"/>\n  <Material ID=\"2\" eps=\"0x1p3\"/>\n"
                              "  <Material ID=\"3\" eps=\"inf\"/>\n  <Material ID=\"4\" eps=\"nan\"/>\n"
                              "  <Material ID=\"5\" eps=\" -1e-4x\"/>\n"));
    corpus.Add("ids.xml", Catalogue("6", "  <Material ID=\"3.9\" eps=\"2\"/>\n  <Material ID=\"300\" eps=\"3\"/>\n"
                                         "  <Material ID=\"-1\" eps=\"4\"/>\n  <Material ID=\"256\" eps=\"5\"/>\n"
                                         "  <Material ID=\"1e10\" eps=\"6\"/>\n  <Material ID=\"nan\" eps=\"7\"/>\n"));
    corpus.Add("other-root.xml", "<Catalogue Count=\"1\"><Material ID=\"1\" eps=\"2\"/></Catalogue>");
    corpus.Add("nested-and-lower-case.xml",
               Catalogue("1", "  <Group><Material ID=\"5\"/></Group>\n  <material ID=\"6\"/>\n  <Material ID=\"7\"/>\n"));
    corpus.Add("empty-root.xml", "<Materials/>");
    corpus.Add("empty.xml", "");
    std::string many;
    for (int id = 0; id < 40; ++id) {
        many += "<Material ID=\"" + std::to_string(id * 7) + "\" description=\"m" + std::to_string(id) + "\" eps=\"" +
                std::to_string(1 + id) + "\"/>";
    }
    corpus.Add("forty-materials.xml", Catalogue("40", many));
}

// Projects

ProjectRecipe ValidProject(std::size_t nx, std::size_t ny, std::size_t nz) {
    ProjectRecipe recipe;
    recipe.lines = {static_cast<std::uint8_t>(nx - 2), static_cast<std::uint8_t>(ny - 2), static_cast<std::uint8_t>(nz - 2)};
    return recipe;
}

void ProjectSeeds(const fs::path& root) {
    const Corpus corpus(root, "project_file_fuzz");
    const auto add = [&](const std::string& name, const std::function<void(ProjectRecipe&)>& change) {
        ProjectRecipe recipe = ValidProject(3, 4, 5);
        change(recipe);
        corpus.Add(name, EncodeRecipe(recipe));
    };
    // The special numbers' positions in the recipe's table.
    constexpr std::uint8_t nan = 0, infinity = 1, zero = 3, minus_one = 6, beyond_float = 9;

    add("valid", [](ProjectRecipe&) {});
    add("density-with-properties", [](ProjectRecipe& r) { r.export_options = 1 | 4; });
    add("only-potentials", [](ProjectRecipe& r) { r.export_options = 2; });
    add("second-export-by-density", [](ProjectRecipe& r) { r.export_options = 8; });
    add("axis-without-lines", [](ProjectRecipe& r) { r.lines[1] = 15; });
    add("axis-of-one-line", [](ProjectRecipe& r) { r.lines[2] = 16; });
    add("largest-mesh", [](ProjectRecipe& r) { r.lines = {14, 14, 14}; });
    add("nan-mesh-line", [&](ProjectRecipe& r) { r.mesh[0].overrides = {{1, nan}}; });
    add("unsorted-mesh", [&](ProjectRecipe& r) { r.mesh[1].overrides = {{2, minus_one}}; });
    add("nan-potential", [&](ProjectRecipe& r) { r.potential.values.overrides = {{5, nan}, {7, infinity}}; });
    add("matrix-extremes", [&](ProjectRecipe& r) {
        r.matrices[0].overrides = {{1, nan}, {2, infinity}, {3, zero}, {4, beyond_float}};
    });
    add("short-potential", [](ProjectRecipe& r) { r.potential.values.length_change = 1; });
    add("long-potential", [](ProjectRecipe& r) { r.potential.values.length_change = 2; });
    add("short-matrix", [](ProjectRecipe& r) { r.matrices[0].length_change = 5; });
    add("vector-potential", [](ProjectRecipe& r) { r.potential.field_type = {3, 2}; });
    add("unknown-field-type", [](ProjectRecipe& r) { r.potential.field_type = {3, 9}; });
    add("float-field-type", [](ProjectRecipe& r) { r.potential.field_type.form = 4; });
    add("padded-format", [](ProjectRecipe& r) { r.format = {3, 2}; });
    add("changed-format", [](ProjectRecipe& r) { r.format = {4, 6}; });
    add("float-format-version", [](ProjectRecipe& r) { r.format_version.form = 4; });
    add("mesh-through-soft-link", [](ProjectRecipe& r) { r.mesh_group = 3; });
    add("no-results", [](ProjectRecipe& r) { r.results_group = 1; });
    add("dangling-potential", [](ProjectRecipe& r) { r.potential.values.link = 4; });
    add("external-matrix", [](ProjectRecipe& r) { r.matrices[0].link = 5; });
    add("integer-mesh", [](ProjectRecipe& r) { r.mesh[2].type = 3; });
    add("big-endian-everything", [](ProjectRecipe& r) {
        for (DatasetRecipe& axis : r.mesh) axis.type = 2;
        r.potential.values.type = 2;
        for (DatasetRecipe& matrix : r.matrices) matrix.type = 2;
    });
    add("two-dimensional-potential", [](ProjectRecipe& r) { r.potential.values.shape = 1; });
    add("chunked-matrix", [](ProjectRecipe& r) { r.matrices[0].shape = 3; });
    add("second-potential", [](ProjectRecipe& r) {
        r.other_results.resize(1);
        r.potential.tree_path = {4, 2};
    });
}

// Export files

// The text of the header, before its NUL.
std::string HeaderText(const Bytes& bytes) {
    const std::string block(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(efm::kHeaderSize));
    return block.substr(0, block.find('\0'));
}

// The file with another header text, NUL-padded to the header's size.
Bytes WithHeaderText(Bytes bytes, std::string text) {
    text.resize(efm::kHeaderSize, '\0');
    std::copy(text.begin(), text.end(), bytes.begin());
    return bytes;
}

// The file with the text of one header number replaced.
Bytes WithHeaderNumber(const Bytes& bytes, efm::Key key, const std::string& value) {
    std::string text = HeaderText(bytes);
    const std::string pair = std::string(efm::KeyName(key)) + "=" + std::to_string(efm::ParseHeaderText(text)[key]);
    text.replace(text.find(pair), pair.size(), std::string(efm::KeyName(key)) + "=" + value);
    return WithHeaderText(bytes, text);
}

Bytes Cut(const Bytes& bytes, std::size_t size) { return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size)); }

void ExportSeeds(const fs::path& root) {
    const Corpus corpus(root, "efm_inspect_fuzz");
    const std::vector<double> x{0, 1, 2}, y{0, 0.5}, z{-1, 1};
    const std::vector<float> nodes{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    const std::vector<float> properties{1, 4};
    const std::vector<unsigned char> element_materials{0, 1};
    const std::vector<Material> materials{{0, 1, 1, 0.0012f, 1, "gas"}, {1, 4, 1, 1850, 2, "board"}, {2, 12, 1, 3900, 3, ""}};
    efm::Blocks full;
    full.mesh_dims = {3, 2, 2};
    full.x_lines = x;
    full.y_lines = y;
    full.z_lines = z;
    full.node_values = nodes;
    full.element_properties = properties;
    full.element_materials = element_materials;
    const std::vector<efm::MaterialRecord> records = MaterialRecords(materials);
    full.materials = records;

    efm::Blocks without_properties = full;
    without_properties.element_properties = {};
    const efm::Blocks only_potentials = efm::PotentialsOnly(full);
    const std::vector<double> line{0};
    const std::vector<float> node{1};
    efm::Blocks single_node;
    single_node.mesh_dims = {1, 1, 1};
    single_node.x_lines = single_node.y_lines = single_node.z_lines = line;
    single_node.node_values = node;

    WriteExportFile(corpus.Path("full.efm"), full);
    WriteExportFile(corpus.Path("without-properties.efm"), without_properties);
    WriteExportFile(corpus.Path("only-potentials.efm"), only_potentials);
    WriteExportFile(corpus.Path("single-node.efm"), single_node);
    // Mesh lines that every reader refuses.
    const double nan = std::numeric_limits<double>::quiet_NaN(), infinity = std::numeric_limits<double>::infinity();
    const std::vector<std::pair<std::string, std::vector<double>>> unusable_lines{
        {"decreasing", {2, 1, 0}}, {"nan", {0, nan, 2}}, {"infinite", {-infinity, 0, 1}}, {"wide", {-1e308, 0, 1e308}}};
    for (const auto& [name, lines] : unusable_lines) {
        efm::Blocks blocks = full;
        blocks.x_lines = lines;
        WriteExportFile(corpus.Path("x-lines-" + name + ".efm"), blocks);
    }

    const Bytes bytes = test_files::ReadBytes(corpus.Path("full.efm"));
    const efm::Layout layout = efm::LayoutOf(efm::ParseHeaderText(HeaderText(bytes)));
    corpus.Add("cut-in-header.efm", Cut(bytes, efm::kHeaderSize - 1));
    corpus.Add("header-only.efm", Cut(bytes, efm::kHeaderSize));
    corpus.Add("cut-in-nodes.efm", Cut(bytes, layout.node_values + 10));
    corpus.Add("cut-in-record.efm", Cut(bytes, bytes.size() - 30));
    corpus.Add("cut-by-one.efm", Cut(bytes, bytes.size() - 1));
    Bytes longer = bytes;
    longer.push_back(0);
    corpus.Add("one-byte-more.efm", longer);
    corpus.Add("more-materials.efm", WithHeaderNumber(bytes, efm::Key::n_materials, "4"));
    corpus.Add("negative-nodes.efm", WithHeaderNumber(bytes, efm::Key::nodes_scalar, "-12"));
    corpus.Add("largest-count.efm", WithHeaderNumber(bytes, efm::Key::elements_material, "2147483647"));
    corpus.Add("count-beyond-int.efm", WithHeaderNumber(bytes, efm::Key::mesh_nx, "2147483648"));
    corpus.Add("vector-count.efm", WithHeaderNumber(bytes, efm::Key::nodes_vector_x, "5"));
    std::string carriage_returns = HeaderText(bytes);
    carriage_returns.replace(carriage_returns.find('\n'), 1, "\r\n");
    corpus.Add("carriage-return.efm", WithHeaderText(bytes, carriage_returns));
    corpus.Add("extra-line.efm", WithHeaderText(bytes, HeaderText(bytes) + "extra=1\n"));
    Bytes no_nul = bytes;
    std::fill(no_nul.begin(), no_nul.begin() + static_cast<std::ptrdiff_t>(efm::kHeaderSize), 'x');
    corpus.Add("header-without-nul.efm", no_nul);

    // The first record's description length, read as 0 and as the largest int32.
    const std::size_t record = layout.records;
    for (const std::int32_t length : {0, 0x7FFFFFFF}) {
        Bytes changed = bytes;
        std::memcpy(changed.data() + record + 4, &length, sizeof length);
        corpus.Add("record-length-" + std::to_string(length) + ".efm", changed);
    }
}

}  // namespace

// The libFuzzer dictionary of the export file target: the words of the header and the
// numbers at the edges of its 32-bit values.
void ExportDictionary(const fs::path& root) {
    std::ofstream dictionary(root / "efm_inspect_fuzz.dict");
    dictionary << "# The words of the export file header.\n";
    for (const std::string_view key : efm::kKeyNames) dictionary << '"' << key << "=\"\n";
    dictionary << "\"2147483647\"\n\"-2147483648\"\n\"\\x0a\"\n\"\\x00\"\n\"\\xff\\xff\\xff\\x7f\"\n";
    if (!dictionary.flush()) throw std::runtime_error("cannot write the dictionary in " + root.string());
}

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: brenwick-fuzz-seeds DIRECTORY" << std::endl;
        return 2;
    }
    const fs::path root = argv[1];
    MaterialSeeds(root);
    ProjectSeeds(root);
    ExportSeeds(root);
    ExportDictionary(root);
    return 0;
}
