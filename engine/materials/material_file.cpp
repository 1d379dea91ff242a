#include "material_file.h"

#include "engine/engine_error.h"
#include "engine/support/classic_number_locale.h"
#include "engine/support/failure_cause.h"
#include "material_numbers.h"
#include "output/output_error.h"
#include "output/output_file.h"
#include "platform/utf8_path.h"

#include <pugixml.hpp>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace brenwick {

namespace {

// "Count" is read as atoi reads it: leading blanks, a sign, digits, then anything; no digits
// gives 0. Written out by hand because atoi itself has undefined behaviour on overflow, and
// a material file is user input. Values beyond the int range saturate.
long long ReadCount(const char* text) {
    while (*text == ' ' || (*text >= '\t' && *text <= '\r')) ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = *text++ == '-';
    long long value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        if (value < (1LL << 40)) value = value * 10 + (*text - '0');
    }
    return negative ? -value : value;
}

Material ReadMaterial(const pugi::xml_node& node) {
    Material material;
    material.ID = node.attribute("ID").as_float();
    material.description = node.attribute("description").value();
    material.eps = node.attribute("eps").as_float();
    material.mue = node.attribute("mue").as_float();
    material.rho = node.attribute("rho").as_float();
    material.rho_set = node.attribute("rho_set").as_float();
    return material;
}

// The number attributes of the record at `record` whose text does not read as it looks.
void NoteNumberFaults(const pugi::xml_node& node, std::size_t record, std::vector<NumberText>& number_texts) {
    for (const char* attribute : {"ID", "eps", "mue", "rho", "rho_set"}) {
        const char* text = node.attribute(attribute).value();
        if (const NumberFault fault = NumberFaultOf(text); fault != NumberFault::None) {
            number_texts.push_back({record, attribute, text, fault});
        }
    }
}

// The line of the text at `offset` in a file read as 8-bit text, counted from 1.
std::size_t LineAt(const std::string& path, std::ptrdiff_t offset) {
    std::ifstream file(PathFromText(path), std::ios::binary);
    std::size_t line = 1;
    for (char c; offset-- > 0 && file.get(c);) line += c == '\n';
    return line;
}

// Why the material file cannot be used: missing, no file, unreadable, or where its XML breaks.
std::string MaterialFileCause(const std::string& path, const pugi::xml_parse_result& parsed) {
    if (path.empty()) return "No material file was given.";
    if (std::string problem = InputFileProblem("The material file", path); !problem.empty()) return problem;
    const std::string where = parsed.encoding == pugi::encoding_utf8 || parsed.encoding == pugi::encoding_latin1
                                  ? " in line " + std::to_string(LineAt(path, parsed.offset))
                                  : "";
    return "The material file " + QuotedPath(path) + " is no valid XML" + where + ": " + parsed.description() + ".";
}

}  // namespace

void ReadMaterialFile(const std::string& path, std::vector<Material>& materials,
                      std::vector<NumberText>& number_texts) {
    const ClassicNumberLocale classic_numbers;
    pugi::xml_document document;
    // A directory opens like a file, whose size pugixml then takes to be 2^63 bytes to allocate.
    std::error_code error;
    const std::filesystem::path file = PathFromText(path);
    pugi::xml_parse_result parsed;
    if (!std::filesystem::is_regular_file(file, error) || !(parsed = document.load_file(file.c_str()))) {
        throw MaterialFileError("PrepareMaterialData: Error during parsing Materials.xml file.",
                                MaterialFileCause(path, parsed));
    }
    const pugi::xml_node root = document.child("Materials");
    const long long expected = ReadCount(root.attribute("Count").value());

    for (pugi::xml_node node = root.child("Material"); node; node = node.next_sibling("Material")) {
        materials.push_back(ReadMaterial(node));
        NoteNumberFaults(node, materials.size() - 1, number_texts);
    }
    if (static_cast<long long>(materials.size()) != expected) {
        throw MaterialFileError(
            "PrepareMaterialData: Warning. Count attribute doesn't represent actual number of materials.");
    }
}

void WriteMaterialFile(const std::string& path, const std::vector<Material>& materials) {
    pugi::xml_document document;
    pugi::xml_node declaration = document.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "UTF-8";
    pugi::xml_node root = document.append_child("Materials");
    root.append_attribute("Count") = std::to_string(materials.size()).c_str();
    for (const Material& material : materials) {
        pugi::xml_node node = root.append_child("Material");
        node.append_attribute("ID") = FloatText(material.ID).c_str();
        node.append_attribute("description") = material.description.c_str();
        node.append_attribute("eps") = FloatText(material.eps).c_str();
        node.append_attribute("mue") = FloatText(material.mue).c_str();
        node.append_attribute("rho") = FloatText(material.rho).c_str();
        node.append_attribute("rho_set") = FloatText(material.rho_set).c_str();
    }
    std::ostringstream text;
    document.save(text, "  ");
    const std::string bytes = std::move(text).str();
    const std::string failure = "Unable to write the material file: ";
    try {
        OutputFile file(path, {failure, failure});
        file.Write(bytes.data(), bytes.size());
        file.Commit();
    } catch (const OutputError& error) {
        throw MaterialFileError(error.what());
    }
}

std::vector<efm::MaterialRecord> MaterialRecords(const std::vector<Material>& materials) {
    std::vector<efm::MaterialRecord> records;
    records.reserve(materials.size());
    for (const Material& m : materials) records.push_back({m.ID, m.description, m.eps, m.mue, m.rho});
    return records;
}

}  // namespace brenwick
