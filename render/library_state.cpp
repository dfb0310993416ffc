#include "render/library_state.h"

namespace Quarn {

LibraryState& library() {
    static LibraryState state;
    return state;
}

}  // namespace Quarn
