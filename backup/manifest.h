// The manifest of a station's backup (blocks.txt): one line per block in type and number
// order with what identifies its content, and the comparison of two manifests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "block_facts.h"

namespace vexal::backup {

// The block's facts (its code length aside) and the digest of its whole image.
struct ManifestEntry : BlockFacts {
    std::string sha256;  // 64 hexadecimal digits
};

// The entry of an uploaded image of `size` bytes.
ManifestEntry MakeManifestEntry(const uint8_t* image, size_t size);

std::string BlockName(int type, uint16_t number);
bool IsDataBlockType(int type);  // DB and SDB; the others hold code

std::string FormatManifest(const std::vector<ManifestEntry>& entries);
// False on a line that does not parse; comment lines are skipped.
bool ParseManifest(const std::string& text, std::vector<ManifestEntry>* entries);

struct BlockChanges {
    std::vector<std::string> added;
    std::vector<std::string> removed;
    std::vector<std::string> changed;
    bool Any() const { return !added.empty() || !removed.empty() || !changed.empty(); }
};

struct StationChanges {
    BlockChanges code;
    BlockChanges data;
    // Data blocks whose image changed while length and time stamps did not: only their
    // values were written.
    std::vector<std::string> valuesOnly;
    bool Any() const { return code.Any() || data.Any() || !valuesOnly.empty(); }
};

StationChanges CompareManifests(const std::vector<ManifestEntry>& before,
                                const std::vector<ManifestEntry>& after);

// "code: changed FC3; data: values DB1" or "no change".
std::string SummariseChanges(const StationChanges& changes);

}  // namespace vexal::backup
