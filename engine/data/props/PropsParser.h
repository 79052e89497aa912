// The props language: statements separated by ';' that assign values, arrays, objects or
// copies of other keys to key paths, change the scope ("using") or read another file
// ("include"). There are no tokens: the grammar is the set of string searches the parser
// makes, so its odd corners (prefix tests, first occurrences) are kept exactly.
#pragma once

#include "engine/data/FileLocation.h"
#include "engine/data/FileSearchPaths.h"
#include "engine/data/Stream.h"
#include "engine/data/props/PropsNode.h"

namespace engine {

// Parses the rest of a stream into `tree` (later statements overwrite earlier ones key by
// key). False when the stream gives nothing to read, when an included file fails, or when
// the text nests too deeply; statements that parsed still stand.
bool parseProps(Stream& stream, PropsTree& tree, const FileSearchPaths* searchPaths = nullptr);

// Resolves and opens a props file, then parses it as above; the file counts as being read
// while its includes are, so it cannot include itself.
bool parsePropsFile(FileLocation location, PropsTree& tree, const FileSearchPaths* searchPaths = nullptr);

} // namespace engine
