// The "hold" command, which the update dialog sends when the user has ticked its check box.
#pragma once

namespace quorvane {

// Sends the "hold" command once, on a thread of its own that ends by itself; its outcome is of
// no interest, and nothing waits for it.
void StartHoldCommand();

}  // namespace quorvane
