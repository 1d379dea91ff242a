// The number attributes of the material file whose text does not read as it looks. A number is
// read as strtod reads it in the classic locale, as far as its text is numeric (" 4.4 volts" is
// 4.4), so "abc" reads as 0 and "4,4", with a decimal comma, as 4. Such a text in the attribute
// the elements are matched by refuses the export; elsewhere it is a warning.
#ifndef BRENWICK_MATERIAL_NUMBERS_H
#define BRENWICK_MATERIAL_NUMBERS_H

#include "material_file.h"

#include <string>
#include <vector>

namespace brenwick {

enum class NumberFault {
    None,
    Missing,       // no attribute, or nothing but blanks in it: read as 0
    NoNumber,      // no number at its start ("abc", "F/m 4.4"): read as 0
    DecimalComma,  // a number followed by a comma and a digit ("4,4", "1,0e3"): read up to the comma
};

// What is wrong with a number attribute's text. Reads with the C library, so the caller holds a
// ClassicNumberLocale.
NumberFault NumberFaultOf(const char* text);

// A number attribute of one record with a fault.
struct NumberText {
    std::size_t record = 0;  // the record's position in the catalogue, from 0
    std::string attribute;   // "ID", "eps", "mue", "rho" or "rho_set"
    std::string text;        // as the file has it
    NumberFault fault = NumberFault::None;
};

// The shortest text that reads back as the same float, whatever the locale.
std::string FloatText(float value);

// Judges the faults of a catalogue read from `path` for an assignment with `quantity`. Throws
// MaterialFileError naming the file, the record, the attribute and its text for the first text
// without a number, or with a decimal comma, in the attribute the elements are matched by
// (MatchingAttribute). Returns a warning for each such text in another number attribute (with the
// value read) and for each record that lacks the matched attribute (with the 0 used).
std::vector<std::string> JudgeNumberTexts(const std::vector<NumberText>& texts, const std::vector<Material>& materials,
                                          const std::string& path, unsigned quantity);

}  // namespace brenwick

#endif
