#pragma once

#include <string>
#include <vector>

namespace Quarn::Shading {

// A GLSL text appended to a fragment shader whose body names one of its functions.
struct LibraryBlock {
    const char* name;
    std::vector<std::string> triggers;
    const char* text;
};

// The blocks in the order they are appended.
const std::vector<LibraryBlock>& library_blocks();

// Appends, in library order and each at most once, every block whose function names occur in
// `body` as plain substrings (comments count).
void append_library_functions(const std::string& body, std::string& source);

}  // namespace Quarn::Shading
