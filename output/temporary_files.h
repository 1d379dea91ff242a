// The temporary files of the outputs being written, known to the whole process, so that a
// signal that ends the program can remove them first.
#ifndef BRENWICK_TEMPORARY_FILES_H
#define BRENWICK_TEMPORARY_FILES_H

#include <cstdio>
#include <filesystem>

namespace brenwick::temporary_files {

// Creates a new file at `path` for binary writing and remembers it; never opens a file that
// exists, whoever made it. nullptr when the file cannot be created, with errno saying why
// (EEXIST: a file of that name exists). The files of one folder are reached through the folder,
// so that their names only need to fit the limit of a name, not that of a path.
std::FILE* Create(const std::filesystem::path& path);

// Renames a remembered file to `final_path` and forgets it; false, and still remembered, when
// the rename fails, with the system's error code in `system_error` where messages name it
// (Windows). `replaces_file`: an existing file is replaced, which on Windows gives the new
// file its attributes and security.
bool MoveIntoPlace(const std::filesystem::path& path, const std::filesystem::path& final_path, bool replaces_file,
                   unsigned long& system_error);

// Removes a remembered file and forgets it.
void Remove(const std::filesystem::path& path);

// For a program about to end: removes every remembered file. The calls above then never
// return, so that no temporary file can appear or be renamed afterwards.
void RemoveAllBeforeTheEnd();

}  // namespace brenwick::temporary_files

#endif
