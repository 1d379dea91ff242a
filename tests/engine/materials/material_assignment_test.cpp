// Choosing the catalogue material of every element.
#include "engine/materials/material_assignment.h"
#include "engine/support/parallel.h"
#include "tests/engine/engine_test_support.h"
#include "tests/support/reference.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <stdexcept>

using namespace brenwick;

using namespace engine_test;

namespace {

constexpr float kInfinity = std::numeric_limits<float>::infinity();
const float qnan = std::numeric_limits<float>::quiet_NaN();

Material M(float id, float eps, float rho_set = 0, float rho = 0) { return {id, eps, 1, rho, rho_set, "m"}; }

std::vector<unsigned char> Assign(const std::vector<float>& properties, const std::vector<Material>& catalogue,
                                  int quantity = 0) {
    std::vector<unsigned char> bytes(properties.size());
    AssignMaterials(properties, catalogue, quantity, bytes);
    return bytes;
}

using Bytes = std::vector<unsigned char>;

}  // namespace

TEST(Assignment, GasAndTwoSolidsTable) {
    const std::vector<Material> catalogue{M(0, 1), M(1, 4), M(2, 12)};
    EXPECT_EQ(Assign({0.00005f, 1.9f, 2.5f, 3.0f, 9.0f, kInfinity}, catalogue), (Bytes{0, 0, 0, 1, 2, 0}));
}

TEST(Assignment, TheThresholdOverrulesTheNearestValue) {
    const std::vector<Material> catalogue{M(1, 4), M(0, 10)};
    EXPECT_EQ(ThresholdReference(catalogue, 0), 4.0f);
    EXPECT_EQ(Assign({1, 1.999f, 2, 3}, catalogue), (Bytes{0, 0, 1, 1}));
}

TEST(Assignment, ZeroRuleStopsJustBelowOneTenThousandth) {
    const float nearest = 1e-4f;  // lies below the double 1e-4
    ASSERT_LT(static_cast<double>(nearest), 1e-4);
    const float above = std::nextafter(nearest, 1.0f);
    const std::vector<Material> catalogue{M(1, 1e-4f), M(2, 5)};
    EXPECT_EQ(Assign({0.0f, -0.0f, nearest, -nearest, above, -above}, catalogue), (Bytes{0, 0, 0, 0, 1, 1}));
}

TEST(Assignment, InfinityIsNoMaterialInPermittivityMode) {
    EXPECT_EQ(Assign({kInfinity, -kInfinity, 3e38f}, {M(1, 4), M(2, 3e38f)}), (Bytes{0, 0, 2}));
}

TEST(Assignment, ANegativePropertyFallsBelowTheThreshold) {
    EXPECT_EQ(Assign({-3, -1e-3f}, {M(2, 5), M(0, 1), M(1, 4)}), (Bytes{0, 0}));
    // A negative matching value makes R negative (threshold -1.5). An earlier material at
    // exactly the property keeps the element; above the threshold the nearest wins again.
    const std::vector<Material> catalogue{M(3, -3), M(0, 1), M(1, 4)};
    EXPECT_EQ(Assign({-3, -1.6f, -10, -1.4f, -1}, catalogue), (Bytes{3, 0, 0, 3, 3}));
}

TEST(Assignment, WithoutAMaterialOfIdZeroNothingIsForcedButZeroStillGivesZero) {
    EXPECT_EQ(Assign({1, -5, 0.00005f, 0}, {M(1, 4), M(2, 12)}), (Bytes{1, 1, 0, 0}));
}

TEST(Assignment, AllIdsZeroGiveAThresholdReferenceOfZero) {
    const std::vector<Material> catalogue{M(0, 4), M(-0.0f, 12)};
    EXPECT_EQ(ThresholdReference(catalogue, 0), 0.0f);
    EXPECT_EQ(ThresholdReference(catalogue, 3), 0.0f);
    EXPECT_EQ(Assign({-1, 1, 20}, catalogue), (Bytes{0, 0, 0}));
}

TEST(Assignment, ThresholdReferenceIsTheSmallestNonZeroIdValue) {
    EXPECT_EQ(ThresholdReference({M(0, 1), M(5, 7), M(6, 3), M(7, 9)}, 0), 3.0f);
    EXPECT_EQ(ThresholdReference({M(0, 1, 0.5f), M(5, 7, 20), M(6, 3, 30)}, 3), 20.0f);
    // Only a greater current value is replaced, so a NaN in front stays.
    EXPECT_TRUE(std::isnan(ThresholdReference({M(1, qnan), M(2, 3)}, 0)));
    EXPECT_EQ(ThresholdReference({M(1, 3), M(2, qnan)}, 0), 3.0f);
}

TEST(Assignment, ANaNMatchingValueNeitherSetsTheThresholdNorWinsAgainstIt) {
    EXPECT_EQ(Assign({1}, {M(0, 100), M(1, 3), M(2, qnan)}), (Bytes{0}));
    // R is NaN here: nothing lies below it, and the nearest number wins.
    EXPECT_EQ(Assign({1}, {M(0, 100), M(2, qnan), M(1, 3)}), (Bytes{1}));
    // A NaN distance in front is never greater, so the choice stays with it.
    EXPECT_EQ(Assign({3}, {M(2, qnan), M(1, 3)}), (Bytes{2}));
}

TEST(Assignment, EqualDistancesGoToTheEarliestMaterial) {
    EXPECT_EQ(Assign({3}, {M(1, 2), M(2, 4)}), (Bytes{1}));
    EXPECT_EQ(Assign({3}, {M(2, 4), M(1, 2)}), (Bytes{2}));
    EXPECT_EQ(Assign({3}, {M(5, 3), M(6, 3), M(7, 3)}), (Bytes{5}));
    EXPECT_EQ(Assign({3}, {M(5, 9), M(6, 3), M(7, 3)}), (Bytes{6}));
}

TEST(Assignment, DensityModeComparesRhoSet) {
    // ID, eps, rho_set, rho: eps and rho point the other way.
    const std::vector<Material> catalogue{M(1, 8, 2, 8), M(2, 2, 8, 2)};
    EXPECT_EQ(Assign({2, 8}, catalogue, 3), (Bytes{1, 2}));
    EXPECT_EQ(Assign({2, 8}, catalogue, 0), (Bytes{2, 1}));
    // The threshold follows rho_set too: R = 10, so 4 falls to ID 0.
    EXPECT_EQ(Assign({4, 6}, {M(0, 0, 100), M(1, 1, 10)}, 3), (Bytes{0, 1}));
}

TEST(Assignment, DensityModeMatchesInfinityToTheFirstMaterial) {
    EXPECT_EQ(Assign({kInfinity, -kInfinity, 0.00001f}, {M(5, 0, 1), M(6, 0, 2)}, 3), (Bytes{5, 5, 0}));
    EXPECT_EQ(Assign({kInfinity}, {M(5, 0, 1), M(6, 0, 2)}, 2), (Bytes{5}));
}

TEST(Assignment, ANaNPropertyGetsTheFirstMaterial) {
    EXPECT_EQ(Assign({qnan}, {M(7, 1), M(8, 2)}), (Bytes{7}));
    EXPECT_EQ(Assign({qnan}, {M(7, 1), M(8, 2)}, 3), (Bytes{7}));
    EXPECT_EQ(Assign({qnan}, {M(7, 1), M(0, 2), M(8, 3)}), (Bytes{7}));
}

TEST(Assignment, IdsBecomeTheLowByteOfTheirTruncation) {
    EXPECT_EQ(Assign({1, 5, 9}, {M(3.9f, 1), M(300, 5), M(-1, 9)}), (Bytes{3, 44, 255}));
}

TEST(MaterialByte, TruncatesTowardZeroAndKeepsEightBits) {
    EXPECT_EQ(MaterialByte(3.9f), 3);
    EXPECT_EQ(MaterialByte(300), 44);
    EXPECT_EQ(MaterialByte(-1), 255);
    EXPECT_EQ(MaterialByte(-2.5f), 254);
    EXPECT_EQ(MaterialByte(-0.5f), 0);
    EXPECT_EQ(MaterialByte(255.9f), 255);
    EXPECT_EQ(MaterialByte(256), 0);
    EXPECT_EQ(MaterialByte(2147483520.0f), 0x80);  // the largest float below 2^31
    EXPECT_EQ(MaterialByte(-2147483648.0f), 0);
    EXPECT_EQ(MaterialByte(-2147483520.0f), 0x80);
}

TEST(MaterialByte, NaNAndIdsBeyondInt32GiveZero) {
    EXPECT_EQ(MaterialByte(qnan), 0);
    EXPECT_EQ(MaterialByte(-qnan), 0);
    EXPECT_EQ(MaterialByte(2147483648.0f), 0);
    EXPECT_EQ(MaterialByte(3e9f + 3), 0);
    EXPECT_EQ(MaterialByte(-2147483904.0f), 0);  // the float just below -2^31
    EXPECT_EQ(MaterialByte(kInfinity), 0);
    EXPECT_EQ(MaterialByte(-kInfinity), 0);
}

TEST(Assignment, AnEmptyCatalogueFailsOnlyWhenAnElementMustBeMatched) {
    EXPECT_EQ(Assign({0, 0.00001f, kInfinity, -kInfinity}, {}), (Bytes{0, 0, 0, 0}));
    for (const auto& [properties, quantity] :
         {std::pair{std::vector<float>{0, 1}, 0}, std::pair{std::vector<float>{qnan}, 0},
          std::pair{std::vector<float>{0, kInfinity}, 3}}) {
        try {
            Assign(properties, {}, quantity);
            ADD_FAILURE() << "no failure in mode " << quantity;
        } catch (const MaterialFileError& failure) {
            EXPECT_STREQ(failure.what(), kEmptyCatalogue);
        }
    }
}

TEST(Assignment, ReplacesWhateverTheByteArrayHeld) {
    Bytes bytes(3, 77);
    AssignMaterials(std::vector<float>{0, 4, 12}, {M(0, 1), M(1, 4), M(2, 12)}, 0, bytes);
    EXPECT_EQ(bytes, (Bytes{0, 1, 2}));
    bytes.assign(5000, 77);
    AssignMaterials(std::vector<float>(5000, 0.0f), {M(1, 4)}, 0, bytes);
    EXPECT_EQ(bytes, Bytes(5000, 0));
}

namespace {

std::vector<Material> RandomCatalogue(std::mt19937& random) {
    std::vector<Material> catalogue{
        M(0, 1.0006f, 0.0012f), M(1, 4.4f, 1.85f),      M(2, 12, 2.33f), M(300, 4.4f, 1.85f), M(-1, 1e-3f, 0.5f),
        M(3.9f, 80, 1.0f),      M(0, 1.0006f, 0.0012f), M(7, -2, -4),    M(8, 3e38f, 7.8f),   M(9, 25, 11.3f)};
    std::uniform_real_distribution<float> value(-5, 100);
    for (int extra = 0; extra < 6; ++extra) {
        catalogue.push_back(M(static_cast<float>(10 + extra), value(random), value(random)));
    }
    catalogue.push_back(M(40, qnan, qnan));
    return catalogue;
}

std::vector<float> RandomProperties(std::mt19937& random, const std::vector<Material>& catalogue, std::size_t count) {
    const float specials[] = {0.0f, -0.0f, 1e-4f, -1e-4f, 2e-4f, kInfinity, -kInfinity, qnan, 3e38f, -3e38f, 1e-30f};
    std::uniform_int_distribution<int> kind(0, 9);
    std::uniform_int_distribution<std::size_t> special(0, std::size(specials) - 1);
    std::uniform_int_distribution<std::size_t> material(0, catalogue.size() - 1);
    std::uniform_real_distribution<float> ordinary(-10, 120);
    std::vector<float> properties(count);
    for (float& p : properties) {
        switch (kind(random)) {
        case 0: p = specials[special(random)]; break;
        case 1: p = catalogue[material(random)].eps; break;
        case 2: p = catalogue[material(random)].rho_set; break;
        case 3: {
            // Half-way between two materials: a tie.
            const Material& a = catalogue[material(random)];
            const Material& b = catalogue[material(random)];
            p = (a.eps + b.eps) / 2;
            break;
        }
        default: p = ordinary(random);
        }
    }
    return properties;
}

}  // namespace

TEST(Assignment, AnyNumberOfWorkersGivesTheElementByElementResult) {
    std::mt19937 random(77);
    const std::vector<Material> catalogue = RandomCatalogue(random);
    const std::vector<float> properties = RandomProperties(random, catalogue, 300007);
    for (const int quantity : {0, 3}) {
        const std::vector<unsigned char> plain = reference::AssignMaterials(properties, catalogue, quantity);
        for (const unsigned workers : {1u, 2u, 3u, 8u}) {
            WorkerCountScope scope(workers);
            const std::vector<unsigned char> bytes = Assign(properties, catalogue, quantity);
            ASSERT_EQ(bytes.size(), plain.size());
            std::size_t differences = 0, first = 0;
            for (std::size_t e = bytes.size(); e-- > 0;) {
                if (bytes[e] != plain[e]) {
                    ++differences;
                    first = e;
                }
            }
            EXPECT_EQ(differences, 0u) << "mode " << quantity << ", " << workers << " workers; first at element "
                                       << first << " with property " << properties[first] << ": " << int{bytes[first]}
                                       << " instead of " << int{plain[first]};
        }
    }
}

TEST(Assignment, EveryCatalogueSizeAndElementCountsAroundTheBlockEdges) {
    // Every catalogue size from one material up, every element count around the block edges.
    std::mt19937 random(3);
    std::uniform_real_distribution<float> value(0.5f, 30);
    for (std::size_t size = 1; size <= 9; ++size) {
        std::vector<Material> catalogue;
        for (std::size_t m = 0; m < size; ++m) catalogue.push_back(M(static_cast<float>(m + 1), value(random)));
        for (const std::size_t count : {std::size_t{1}, std::size_t{4095}, std::size_t{4096}, std::size_t{4097}}) {
            std::vector<float> properties(count);
            for (float& p : properties) p = value(random);
            EXPECT_EQ(Assign(properties, catalogue), reference::AssignMaterials(properties, catalogue, 0))
                << size << " materials, " << count << " elements";
        }
    }
}
