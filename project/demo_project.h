// Plausible program blocks for demonstrations, the simulator's default program and tests:
// valid headers, bodies of realistic sizes, a trailer with author, family and name.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vexal {

// One block image: 36-byte header with time stamps, `codeLength` code bytes derived from
// `seed`, a 20-byte interface and the 36-byte trailer with author, family, name, version
// and a checksum of the code. Its length is codeLength + 92.
std::vector<uint8_t> MakeDemoBlock(int type, uint16_t number, uint32_t codeLength,
                                   uint32_t seed = 1);

// The demo controller program: OBs, FBs, FCs, DBs and SDBs, about 100 blocks of 200 bytes
// to 20 KiB, in no particular order. The same every time.
std::vector<std::vector<uint8_t>> MakeDemoProgram();

// Writes the demo program as a project file; a ProjectWriteResult.
int WriteDemoProject(const std::string& path);

}  // namespace vexal
