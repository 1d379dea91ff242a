#include "material_numbers.h"

#include "engine/engine_error.h"
#include "material_assignment.h"

#include <array>
#include <charconv>
#include <cstdlib>

namespace brenwick {

namespace {

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

float ValueOf(const Material& material, const std::string& attribute) {
    if (attribute == "ID") return material.ID;
    if (attribute == "eps") return material.eps;
    if (attribute == "mue") return material.mue;
    if (attribute == "rho") return material.rho;
    return material.rho_set;
}

// "material 2 (description "FR4", ID 3) in m.xml", counting from 1 as a reader of the file does.
std::string RecordName(const NumberText& text, const std::vector<Material>& materials, const std::string& path) {
    const Material& material = materials[text.record];
    return "material " + std::to_string(text.record + 1) + " (description \"" + material.description + "\", ID " +
           FloatText(material.ID) + ") in " + path;
}

// What is wrong with the text, to follow "has".
std::string FaultText(const NumberText& text) {
    const std::string written = text.attribute + "=\"" + text.text + "\"";
    if (text.fault == NumberFault::DecimalComma)
        return written + ", a number with a decimal comma where a point is needed";
    return written + ", which does not begin with a number";
}

}  // namespace

NumberFault NumberFaultOf(const char* text) {
    const char* start = text;
    while (IsBlank(*start)) ++start;
    if (*start == '\0') return NumberFault::Missing;
    char* end = nullptr;
    std::strtod(text, &end);
    if (end == text) return NumberFault::NoNumber;
    if (end[0] == ',' && IsDigit(end[1])) return NumberFault::DecimalComma;
    return NumberFault::None;
}

std::string FloatText(float value) {
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

std::vector<std::string> JudgeNumberTexts(const std::vector<NumberText>& texts, const std::vector<Material>& materials,
                                          const std::string& path, unsigned quantity) {
    const std::string matched = MatchingAttribute(quantity);
    std::vector<std::string> warnings;
    for (const NumberText& text : texts) {
        const std::string record = RecordName(text, materials, path);
        if (text.fault == NumberFault::Missing) {
            if (text.attribute == matched) warnings.push_back(record + " has no value for " + matched + "; 0 is used.");
        } else if (text.attribute == matched) {
            throw MaterialFileError("AssignElementMaterials: Error. The elements are matched by " + matched + ", but " +
                                    record + " has " + FaultText(text) + ".");
        } else {
            warnings.push_back(record + " has " + FaultText(text) + "; it is read as " +
                               FloatText(ValueOf(materials[text.record], text.attribute)) + ".");
        }
    }
    return warnings;
}

}  // namespace brenwick
