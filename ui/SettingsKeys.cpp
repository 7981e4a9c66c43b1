#include "ui/SettingsKeys.h"

#include "core/Messages.h"

namespace corvia {

void CloseSettingsKey(RegistryKey& key) {
  const Outcome saved = key.Close();
  if (saved.told()) ShowError("%s", saved.text().c_str());
}

}  // namespace corvia
