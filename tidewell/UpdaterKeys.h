// The updater's registry keys, below HKEY_LOCAL_MACHINE, beside the main program's options.
#pragma once

namespace qv {

// One text value per installed component file: value name = file name, data = version text.
inline constexpr const char kVersionControlKeyPath[] = "SOFTWARE\\Zephlor\\Quorvane\\Settings\\VersionControl";
// The proxy settings and the record of the last session.
inline constexpr const char kTidewellKeyPath[] = "Software\\Zephlor\\Quorvane\\Settings\\Tidewell";

}  // namespace qv
