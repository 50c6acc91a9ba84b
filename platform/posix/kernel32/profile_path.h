// Where the system profile lives.
#pragma once

#include <string>

#include "expected.h"

namespace pellomar::profile_store {

// The folder that holds win.ini: $XDG_CONFIG_HOME when it is an absolute
// path, else $HOME/.config, else the passwd home's .config.
Expected<std::string> ProfileFolder();

// Creates `folder` and its missing parents, mode 0700.
Win32Error CreateFolders(const std::string& folder);

}  // namespace pellomar::profile_store
