// The table of the reader's functions, through which every reader is bound.
#include "engine/reader/reader_functions.h"
#include "engine/reader/reader_library.h"
#include "tests/support/fake_reader.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

namespace {

using namespace brenwick;

struct BoundReader {
    const char* description;
    std::shared_ptr<const ResultReader> (*reader)();
};

// The linked reader and the scripted one: each function the table lists is there when it is
// required, and carries the name under which the table lists it, so that a call that ends the
// program is reported with the right name.
TEST(ReaderFunctions, EveryReaderCarriesTheNamesOfTheTable) {
    const BoundReader readers[] = {{"linked", LinkedReader}, {"scripted", fake_reader::Reader}};
    for (const BoundReader& bound : readers) {
        SCOPED_TRACE(bound.description);
        std::set<std::string> names;
        std::size_t listed = 0;
        ForEachReaderFunction(bound.reader()->functions, [&](const char* name, const auto& slot, ReaderOffer offer) {
            SCOPED_TRACE(name);
            names.insert(name);
            ++listed;
            EXPECT_TRUE(slot || offer == ReaderOffer::kOptional);
            EXPECT_STREQ(slot ? slot.Name() : name, name);
        });
        EXPECT_EQ(names.size(), listed) << "a name listed twice";
    }
}

// A stand-in is called under the name of the function it replaces.
TEST(ReaderFunctions, AReplacedFunctionKeepsItsName) {
    ResultReader reader = *fake_reader::Reader();
    reader.functions.close_project.Replace([](CSTProjHandle*) { return 42; });
    CSTProjHandle handle{};
    EXPECT_EQ(reader.functions.close_project(&handle), 42);
    EXPECT_STREQ(reader.functions.close_project.Name(), fake_reader::Reader()->functions.close_project.Name());
}

}  // namespace
