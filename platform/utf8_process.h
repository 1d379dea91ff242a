// The command line and the console as UTF-8 text, whatever code page Windows gives a program.
#ifndef BRENWICK_PLATFORM_UTF8_PROCESS_H
#define BRENWICK_PLATFORM_UTF8_PROCESS_H

#include <string>
#include <vector>

namespace brenwick {

// The program's arguments: on Windows taken from the wide command line, so that a path outside
// the ANSI code page arrives whole; elsewhere argv as it is.
class Utf8Arguments {
public:
    Utf8Arguments(int argc, char** argv);
    Utf8Arguments(const Utf8Arguments&) = delete;
    Utf8Arguments& operator=(const Utf8Arguments&) = delete;

    int Count() const { return static_cast<int>(pointers_.size()) - 1; }
    // Valid for the object's life.
    char** Values() { return pointers_.data(); }

private:
    std::vector<std::string> texts_;  // on Windows only
    std::vector<char*> pointers_;     // ended by a null pointer, as argv
};

// On Windows a console shows what the program writes as UTF-8; elsewhere nothing changes.
void UseUtf8Console();

}  // namespace brenwick

#endif
