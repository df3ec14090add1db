// A station's folder in the archive: program.wld, blocks.txt and identity.txt. A folder is
// replaced whole or not at all.
#pragma once

#include <string>
#include <vector>

#include "manifest.h"
#include "station_capture.h"

namespace vexal::backup {

inline constexpr char kProjectFileName[] = "program.wld";
inline constexpr char kManifestFileName[] = "blocks.txt";
inline constexpr char kIdentityFileName[] = "identity.txt";

// The manifest of the station's last backup; false when there is none (or it does not
// parse, which counts as none).
bool ReadPreviousManifest(const std::string& archive, const std::string& name,
                          std::vector<ManifestEntry>* entries);

// Writes the three files into a fresh folder beside the station's and then swaps the two
// folders in one rename, so the station's folder is always either the old or the new one.
bool WriteStationFolder(const std::string& archive, const std::string& name, const Capture& capture,
                        std::string* error);

}  // namespace vexal::backup
