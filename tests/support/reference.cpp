#include "reference.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace reference {

namespace {

constexpr double kVacuumPermittivity = 8.85418782e-12;
constexpr double kPi = 3.141592653589793;

float MatchingValue(const Material& material, int quantity) { return quantity == 0 ? material.eps : material.rho_set; }

// The smallest matching value of the materials with a non-zero ID, 0 without such a material;
// a value is replaced only by a smaller one, so a NaN found first stays.
float Threshold(const std::vector<Material>& catalogue, int quantity) {
    float smallest = 0;
    bool found = false;
    for (const Material& material : catalogue) {
        if (material.ID == 0) continue;
        if (!found || smallest > MatchingValue(material, quantity)) smallest = MatchingValue(material, quantity);
        found = true;
    }
    return smallest;
}

unsigned char Match(float property, const std::vector<Material>& catalogue, int quantity, float threshold) {
    const double wide = property;
    const double largest = std::numeric_limits<double>::max();
    const bool infinite = wide <= -largest || wide >= largest;
    if ((quantity == 0 && infinite) || static_cast<double>(std::fabs(property)) < 1e-4) return 0;
    std::size_t chosen = 0;
    float chosen_distance = 0;
    for (std::size_t m = 0; m < catalogue.size(); ++m) {
        float distance = std::fabs(property - MatchingValue(catalogue[m], quantity));
        if (catalogue[m].ID == 0 && wide < 0.5 * static_cast<double>(threshold)) distance = 0;
        if (m == 0 || chosen_distance > distance) {
            chosen = m;
            chosen_distance = distance;
        }
    }
    return MaterialByte(catalogue.at(chosen).ID);
}

}  // namespace

Lengths LengthsAt(const std::vector<double>& lines, std::size_t i) {
    const double edge = lines[i + 1] - lines[i];
    return {edge, i == 0 ? edge * 0.5 : (lines[i] - lines[i - 1]) * 0.5 + edge * 0.5};
}

std::array<double, 3> InvFactors(const std::vector<double>& x, const std::vector<double>& y,
                                 const std::vector<double>& z, std::size_t i, std::size_t j, std::size_t k,
                                 unsigned quantity) {
    const Lengths lx = LengthsAt(x, i), ly = LengthsAt(y, j), lz = LengthsAt(z, k);
    if (quantity == 0 || quantity == 2) {
        return {lz.dual * ly.dual / lx.edge, lz.dual * lx.dual / ly.edge, ly.dual * lx.dual / lz.edge};
    }
    return {lz.edge * ly.edge / lx.dual, lz.edge * lx.edge / ly.dual, ly.edge * lx.edge / lz.dual};
}

double NodeValue(double m, double inv, unsigned quantity) {
    switch (quantity) {
    case 0: return 1 / (m * inv * kVacuumPermittivity);
    case 1: return 1 / (m * inv * kPi * 4e-7);
    default: return m / inv;
    }
}

float MatrixValue(double property, double inv, unsigned quantity) {
    return static_cast<float>(quantity == 0 ? 1 / (property * inv * kVacuumPermittivity) : property * inv);
}

std::vector<float> ElementProperties(const std::vector<float>& matrix, const std::vector<double>& x,
                                     const std::vector<double>& y, const std::vector<double>& z,
                                     unsigned quantity) {
    const std::size_t nodes = x.size() * y.size() * z.size();
    std::vector<float> properties;
    for (std::size_t k = 0; k + 1 < z.size(); ++k) {
        for (std::size_t j = 0; j + 1 < y.size(); ++j) {
            for (std::size_t i = 0; i + 1 < x.size(); ++i) {
                const std::array<double, 3> inv = InvFactors(x, y, z, i, j, k, quantity);
                const std::size_t node = i + x.size() * (j + y.size() * k);
                std::array<double, 3> v{};
                for (std::size_t c = 0; c < 3; ++c) v[c] = NodeValue(matrix[node + c * nodes], inv[c], quantity);
                properties.push_back(static_cast<float>(std::sqrt((v[0] * v[0] + v[1] * v[1] + v[2] * v[2]) / 3.0)));
            }
        }
    }
    return properties;
}

unsigned char MaterialByte(float id) {
    if (std::isnan(id) || id < -2147483648.0f || id >= 2147483648.0f) return 0;
    return static_cast<unsigned char>(static_cast<std::uint32_t>(static_cast<std::int32_t>(id)));
}

std::vector<unsigned char> AssignMaterials(const std::vector<float>& properties,
                                           const std::vector<Material>& catalogue, int quantity) {
    const float threshold = Threshold(catalogue, quantity);
    std::vector<unsigned char> bytes;
    bytes.reserve(properties.size());
    for (const float property : properties) bytes.push_back(Match(property, catalogue, quantity, threshold));
    return bytes;
}

}  // namespace reference
