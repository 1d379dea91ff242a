// The file a path names as the user gave it: typed, pasted or dropped into a path field, or
// given on the command line. File managers put a path on the clipboard in quotes or as a
// file:// address, and a pasted path often brings a blank or a line end along.
#ifndef BRENWICK_TYPED_PATH_H
#define BRENWICK_TYPED_PATH_H

#include <string>

namespace brenwick {

// `text` as it stands when it names an existing file or folder. Otherwise the path it spells
// without blanks and line ends around it, without quotes around the whole of it ("..." or
// '...') and as a file:// address decoded (file:///p, file://localhost/p, file:/p, on Windows
// also file:///C:/p and file://server/share/p), when that path names an existing file or
// folder, or a new one in an existing folder where `text` names none. In every other case
// `text` unchanged, so that a name whose blanks or quotes are really part of it keeps working.
std::string TypedPath(const std::string& text);

}  // namespace brenwick

#endif
