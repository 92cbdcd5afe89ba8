// Small helpers that more than one distkit command uses.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// OUT's folder, with its trailing separator ("" for the current folder).
std::u16string folderOf(std::u16string_view path);

// A side file or folder of this run's own in `folder` (as folderOf gives
// it): "~distkit-<random><suffix>", made new and empty (a file with
// CREATE_NEW / O_EXCL, a folder with a plain create, which fails on a name
// that exists). A name that exists is never opened or replaced: another one
// is drawn. Empty when nothing could be made. What a command removes beside
// OUT is only what this gave it.
enum class SideKind { File, Folder };
std::u16string reserveSideName(std::u16string_view folder, std::u16string_view suffix,
                               SideKind kind = SideKind::File);

// Reads the whole file at `path` into `bytes`; false when it cannot be
// opened or read.
bool readWholeFile(std::u16string_view path, std::string& bytes);

// A code page number (decimal, at most six digits) that the system can
// convert with.
bool parseCodePage(std::u16string_view text, uint32_t& codePage);
