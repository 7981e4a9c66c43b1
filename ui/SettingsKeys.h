#pragma once
// Closing a settings key the program wrote: a save that failed is told to the user.

#include "core/Registry.h"

namespace corvia {

// Closes the key; a failed save shows its words in an error box.
void CloseSettingsKey(RegistryKey& key);

}  // namespace corvia
