#include "core/shared_state.h"

namespace kirimo {

SharedState& sharedState() {
    static SharedState state;
    return state;
}

}  // namespace kirimo
