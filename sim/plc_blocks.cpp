// The block services of a session: the block directory, upload, download with the
// controller pulling the block, and the PI services that insert, delete and control.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>
#include <span>
#include <vector>

#include "plc_session.h"

namespace vexal::sim {
namespace {

constexpr uint8_t kFunctionRequestDownload = 0x1A;
constexpr uint8_t kFunctionDownloadBlock = 0x1B;
constexpr uint8_t kFunctionDownloadEnded = 0x1C;
constexpr uint8_t kFunctionStartUpload = 0x1D;
constexpr uint8_t kFunctionUpload = 0x1E;
constexpr uint8_t kFunctionEndUpload = 0x1F;
constexpr uint8_t kFunctionPiService = 0x28;
constexpr uint8_t kJob = 0x01;
constexpr size_t kChunkOverhead = 18;  // ack-data header, 2-byte parameter, data header
constexpr size_t kFileNameSize = 9;
constexpr size_t kBlockIdSize = 8;
constexpr size_t kMaxPassiveBlocks = 64;
constexpr int kTypeCount = 7;
// A CPU 315-2 PN/DP begins every block info with these bytes, whatever the block: two
// type bytes, the length of what follows, and two bytes nobody has explained.
constexpr uint8_t kBlockInfoStart[] = {0x01, 0x00, 0x00, 0x4A, 0x22, 0x00};
constexpr char kTypeLetters[kTypeCount + 1] = "8ECABFD";
// The block types in the order the block count answer lists them.
constexpr int kCountOrder[kTypeCount] = {0, 1, 2, 3, 4, 6, 5};

// The system blocks of a CPU 315-2 PN/DP, listed with the program's blocks.
constexpr uint16_t kSystemFunctions[] = {
    0,  1,  2,  3,  4,   5,   6,   7,   11,  12,  13,  14,  15,  17,  18,  19,  20, 21, 22, 23,
    24, 28, 29, 30, 31,  32,  33,  34,  36,  37,  38,  39,  40,  41,  42,  43,  44, 46, 47, 49,
    50, 51, 52, 55, 56,  57,  58,  59,  64,  65,  66,  67,  68,  69,  70,  71,  72, 73, 74, 81,
    82, 83, 84, 99, 101, 102, 103, 105, 106, 107, 108, 109, 112, 113, 114, 126, 127};
constexpr uint16_t kSystemFunctionBlocks[] = {0,  1,  2,  3,  4,  5,  32, 52,
                                              53, 54, 73, 74, 75, 81, 104};

std::span<const uint16_t> SystemBlocks(int type) {
    if (type == BLOCK_TYPE_SFC) return kSystemFunctions;
    if (type == BLOCK_TYPE_SFB) return kSystemFunctionBlocks;
    return {};
}

// The organisation blocks a CPU 315-2 PN/DP has a priority class for.
bool IsOrganisationBlock(uint16_t number) {
    static constexpr uint16_t kNumbers[] = {1,  10, 20, 32, 33, 34, 35, 40,  55,  56,
                                            57, 80, 82, 83, 85, 86, 87, 100, 121, 122};
    return std::find(std::begin(kNumbers), std::end(kNumbers), number) != std::end(kNumbers);
}

int TypeOfLetter(uint8_t letter) {
    for (int type = 0; type < kTypeCount; ++type) {
        if (kTypeLetters[type] == letter) return type;
    }
    return -1;
}

// The flags byte the block directory shows with each block: 0x42 for the system's own.
uint8_t DirectoryFlags(int type) {
    return type == BLOCK_TYPE_SFC || type == BLOCK_TYPE_SFB ? 0x42 : 0x22;
}

struct BlockId {
    int type = -1;
    uint16_t number = 0;
    char state = 0;
};

// "0A00001P": '0', type letter, five digits, state.
bool ParseBlockId(const uint8_t* text, size_t length, BlockId* id) {
    if (length != kBlockIdSize || text[0] != '0') return false;
    id->type = TypeOfLetter(text[1]);
    uint32_t number = 0;
    for (size_t i = 2; i < 7; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        number = number * 10 + (text[i] - '0');
    }
    id->number = static_cast<uint16_t>(number);
    id->state = static_cast<char>(text[7]);
    return id->type >= 0 && number <= 0xFFFF;
}

// The file name of a block transfer job at parameter byte 8 (length) and 9.
bool ParseJobFileName(const PlcSession::Message& job, BlockId* id, std::string* name) {
    if (job.paramLength < 9 + kFileNameSize || job.params[8] != kFileNameSize) return false;
    const uint8_t* text = job.params + 9;
    name->assign(reinterpret_cast<const char*>(text), kFileNameSize);
    return text[0] == '_' && ParseBlockId(text + 1, kBlockIdSize, id);
}

// Six ASCII digits as a number; false when they are not digits.
bool ParseDigits(const uint8_t* text, size_t count, uint32_t* value) {
    *value = 0;
    for (size_t i = 0; i < count; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        *value = *value * 10 + (text[i] - '0');
    }
    return true;
}

std::string Digits(uint32_t value, int width) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*u", width, value);
    return text;
}

bool IsCompleteImage(const Bytes& image, int type, uint16_t number, uint32_t announced) {
    return image.size() >= kBlockHeaderSize && BlockImageLength(image.data()) == image.size() &&
           BlockImageType(image.data()) == type && BlockImageNumber(image.data()) == number &&
           (announced == 0 || announced == image.size());
}

}  // namespace

uint16_t PlcSession::BlockCounts(Bytes* payload) const {
    ByteWriter out;
    for (int type : kCountOrder) {
        const size_t count = controller_.Blocks().TypeCount(type) + SystemBlocks(type).size();
        out.U8('0').U8(kTypeLetters[type]).U16(count);
    }
    *payload = out.Take();
    return kNoError;
}

uint16_t PlcSession::BlockList(const Bytes& request, Bytes* payload) const {
    const int type = request.size() == 2 && request[0] == '0' ? TypeOfLetter(request[1]) : -1;
    if (type < 0) return kBlockTypeSyntax;
    ByteWriter out;
    const BlockStore& blocks = controller_.Blocks();
    for (int position = 0; position < blocks.BlockCount(); ++position) {
        if (blocks.EntryAt(position).type != type) continue;
        const uint8_t* image = blocks.ImageAt(position);
        out.U16(blocks.EntryAt(position).number).U8(DirectoryFlags(type)).U8(image[4]);
    }
    for (uint16_t number : SystemBlocks(type)) out.U16(number).U8(DirectoryFlags(type)).U8(0x01);
    *payload = out.Take();
    return payload->empty() ? kNoFurtherBlock : kNoError;
}

// The block's 36-byte header and the 36-byte trailer with its author, family, name,
// version and checksum, as the stored image holds them.
uint16_t PlcSession::BlockInfo(const Bytes& request, Bytes* payload) const {
    BlockId id;
    if (!ParseBlockId(request.data(), request.size(), &id)) return kBlockTypeSyntax;
    const Bytes image = controller_.CurrentImage(id.type, id.number);
    if (image.empty()) return kBlockNotFound;
    ByteWriter out;
    out.Put(kBlockInfoStart, sizeof kBlockInfoStart);
    out.Put(image.data(), kBlockHeaderSize);
    out.Put(image.data() + image.size() - kBlockTrailerSize, kBlockTrailerSize);
    *payload = out.Take();
    return kNoError;
}

// ---- Upload ----------------------------------------------------------------------------

Bytes PlcSession::StartUpload(const Message& job) {
    BlockId id;
    std::string name;
    if (!ParseJobFileName(job, &id, &name)) return Refuse(kInvalidFrame);
    if (Locked()) return Refuse(kProtectionLevel);
    // A refused start leaves the upload before it as it was, image and position.
    Bytes image = controller_.CurrentImage(id.type, id.number);
    if (image.empty() && id.type == BLOCK_TYPE_OB && !IsOrganisationBlock(id.number))
        return Refuse(kNoPriorityClass);
    if (image.empty()) return Refuse(kBlockNotFound);
    uploadImage_ = std::move(image);
    // Ids stay within 1 to 255: some clients echo only the id's low byte.
    uploadCounter_ = uploadCounter_ % 255 + 1;
    uploadId_ = uploadCounter_;
    uploadOffset_ = 0;
    ByteWriter params;
    params.U8(kFunctionStartUpload).U8(0).U16(0x0100).U32(uploadId_);
    params.U8(7).Text(Digits(static_cast<uint32_t>(uploadImage_.size()), 7));
    return Ack(kNoError, params.Take());
}

Bytes PlcSession::Upload(const Message& job) {
    if (job.paramLength < 8) return Refuse(kInvalidFrame);
    if (uploadId_ == 0 || Big32(job.params + 4) != uploadId_) {
        return Refuse(kInvalidSequence);
    }
    const size_t room = pduSize_ - kChunkOverhead;
    const size_t part = std::min(room, uploadImage_.size() - uploadOffset_);
    const bool more = uploadOffset_ + part < uploadImage_.size();
    // The chunk is copied once, straight into the answer: chunks are most of an upload.
    ByteWriter answer = AckWriter(2, 4 + part);
    answer.U8(kFunctionUpload).U8(more ? 1 : 0);
    answer.U16(part).U16(0x00FB).Put(uploadImage_.data() + uploadOffset_, part);
    uploadOffset_ += part;
    return answer.Take();
}

Bytes PlcSession::EndUpload(const Message& job) {
    if (job.paramLength < 8) return Refuse(kInvalidFrame);
    if (uploadId_ == 0 || Big32(job.params + 4) != uploadId_) {
        return Refuse(kInvalidSequence);
    }
    uploadId_ = 0;
    uploadImage_.clear();
    return Ack(kNoError, {kFunctionEndUpload});
}

// ---- Download --------------------------------------------------------------------------

Bytes PlcSession::ControllerJob(uint8_t function, const std::string& fileName, uint16_t errorCode) {
    ByteWriter params;
    params.U8(function).U8(0).U16(errorCode).U32(0).U8(fileName.size()).Text(fileName);
    const Bytes parameter = params.Take();
    download_.jobReference = nextJobReference_++;
    ByteWriter pdu;
    pdu.U8(0x32).U8(kJob).U16(0).U16(download_.jobReference).U16(parameter.size()).U16(0);
    pdu.Put(parameter);
    return pdu.Take();
}

Bytes PlcSession::RequestDownload(const Message& job, std::vector<Bytes>* out) {
    BlockId id;
    Download download;
    if (!ParseJobFileName(job, &id, &download.fileName) || id.type > BLOCK_TYPE_SDB) {
        return Refuse(kInvalidFrame);
    }
    if (Locked()) return Refuse(kProtectionLevel);
    if (controller_.IsProtected(id.type, id.number) && controller_.HasBlock(id.type, id.number)) {
        return Refuse(kBlockWriteProtected);
    }
    // Part 2 of the request: '1', load memory length and MC7 length as six digits each.
    if (job.paramLength >= 32 && !ParseDigits(job.params + 20, 6, &download.announcedLength)) {
        return Refuse(kInvalidFrame);
    }
    if (download.announcedLength > kMaxBlockImage) return Refuse(kNotEnoughMemory);
    download.active = true;
    download.type = id.type;
    download.number = id.number;
    download_ = std::move(download);
    out->push_back(ControllerJob(kFunctionDownloadBlock, download_.fileName, 0));
    return Ack(kNoError, {kFunctionRequestDownload});
}

// The client's answers to the controller's download jobs.
void PlcSession::TakeDownloadAnswer(const Message& answer, std::vector<Bytes>* out) {
    if (!download_.active || answer.reference != download_.jobReference || answer.paramLength < 1) {
        return;
    }
    if (answer.params[0] == kFunctionDownloadEnded) {
        // Passive blocks nobody inserts are forgotten rather than piling up.
        std::map<BlockRef, Bytes>& passive = controller_.PassiveBlocks();
        if (passive.size() >= kMaxPassiveBlocks) passive.clear();
        if (!download_.failed) {
            passive[BlockRef_Pack(download_.type, download_.number)] = download_.image;
        }
        download_ = Download{};
        return;
    }
    ByteReader data(answer.data, answer.dataLength);
    const uint16_t length = data.U16();
    data.U16();
    const uint8_t* chunk = data.Take(length);
    const bool more = answer.paramLength >= 2 && (answer.params[1] & 1);
    download_.failed = answer.error != 0 || answer.params[0] != kFunctionDownloadBlock ||
                       chunk == nullptr || download_.image.size() + length > kMaxBlockImage;
    if (!download_.failed) download_.image.insert(download_.image.end(), chunk, chunk + length);
    if (more && !download_.failed) {
        out->push_back(ControllerJob(kFunctionDownloadBlock, download_.fileName, 0));
        return;
    }
    download_.failed =
        download_.failed || !IsCompleteImage(download_.image, download_.type, download_.number,
                                             download_.announcedLength);
    out->push_back(ControllerJob(kFunctionDownloadEnded, download_.fileName,
                                 download_.failed ? kWrongBlockLengths : kNoError));
}

// ---- PI services -----------------------------------------------------------------------

Bytes PlcSession::PiService(const Message& job) {
    ByteReader params(job.params + 1, job.paramLength - 1);
    params.Take(7);
    const uint16_t blockLength = params.U16();
    const uint8_t* block = params.Take(blockLength);
    const uint8_t nameLength = params.U8();
    const uint8_t* nameText = params.Take(nameLength);
    if (!params.Ok() || params.Remaining() != 0) return Refuse(kInvalidFrame);
    const std::string name(reinterpret_cast<const char*>(nameText), nameLength);
    if (Locked()) return Refuse(kProtectionLevel);
    uint16_t error = kInvalidFrame;
    if (name == "_INSE") return InsertBlocks(block, blockLength);
    if (name == "_DELE") return DeleteBlocks(block, blockLength);
    if (name == "_GARB") error = controller_.Compress();
    if (name == "_MODU") error = controller_.CopyRamToRom();
    if (name == "_MSRST") error = controller_.MemoryReset();
    if (name == "P_PROGRAM" && blockLength == 0) error = controller_.WarmRestart();
    if (name == "P_PROGRAM" && blockLength == 2 && block[0] == 'C')
        error = controller_.ColdRestart();
    return error == kNoError ? Ack(kNoError, {kFunctionPiService}) : RefusePi(error);
}

// A refused service answers with its error and status 2, "the partner refused", as a real
// CPU does for every PI service it turns down.
Bytes PlcSession::RefusePi(uint16_t error) const {
    return Ack(error, {kFunctionPiService, 0x02});
}

namespace {

// The block list of an insert or delete job: a count byte, a reserved byte and the block
// names; false when the list does not hold exactly that many valid names.
bool ParseBlockList(const uint8_t* list, size_t length, std::vector<BlockId>* ids) {
    if (length < 2 || length != 2 + size_t{list[0]} * kBlockIdSize) return false;
    ids->resize(list[0]);
    for (size_t i = 0; i < ids->size(); ++i) {
        if (!ParseBlockId(list + 2 + i * kBlockIdSize, kBlockIdSize, &(*ids)[i])) return false;
    }
    return true;
}

// A block named twice in one job counts once.
void RemoveRepeats(std::vector<BlockId>* ids) {
    std::set<BlockRef> seen;
    std::erase_if(*ids, [&seen](const BlockId& id) {
        return !seen.insert(BlockRef_Pack(id.type, id.number)).second;
    });
}

// Whether every block of an insert job can go in: passive, not protected, room for all.
uint16_t CheckInsert(const PlcController& controller,
                     const std::map<BlockRef, Bytes>& passiveBlocks,
                     const std::vector<BlockId>& ids) {
    uint64_t need = 0;
    uint64_t freed = 0;
    int added = 0;
    for (const BlockId& id : ids) {
        const auto passive = passiveBlocks.find(BlockRef_Pack(id.type, id.number));
        if (passive == passiveBlocks.end()) return kBlockNotFound;
        const uint8_t* old = controller.Blocks().Find(id.type, id.number);
        if (old != nullptr && controller.IsProtected(id.type, id.number)) {
            return kBlockWriteProtected;
        }
        need += RoundedImageLength(static_cast<uint32_t>(passive->second.size()));
        if (old != nullptr)
            freed += RoundedImageLength(BlockImageLength(old));
        else
            ++added;
    }
    const BlockStore& blocks = controller.Blocks();
    if (need > blocks.FreeBytes() + freed || blocks.BlockCount() + added > kStoreMaxBlocks) {
        return kNotEnoughMemory;
    }
    return kNoError;
}

}  // namespace

// Every named block is checked before any changes, so a refused job changes nothing.
Bytes PlcSession::InsertBlocks(const uint8_t* list, size_t length) {
    std::vector<BlockId> ids;
    if (!ParseBlockList(list, length, &ids)) return RefusePi(kInvalidFrame);
    RemoveRepeats(&ids);
    std::map<BlockRef, Bytes>& passiveBlocks = controller_.PassiveBlocks();
    const uint16_t error = CheckInsert(controller_, passiveBlocks, ids);
    if (error != kNoError) return RefusePi(error);
    for (const BlockId& id : ids) {
        const auto passive = passiveBlocks.find(BlockRef_Pack(id.type, id.number));
        controller_.InsertBlock(passive->second);
        passiveBlocks.erase(passive);
        controller_.RecordBlockLoaded(id.type, id.number);
    }
    return Ack(kNoError, {kFunctionPiService});
}

Bytes PlcSession::DeleteBlocks(const uint8_t* list, size_t length) {
    std::vector<BlockId> ids;
    if (!ParseBlockList(list, length, &ids)) return RefusePi(kInvalidFrame);
    RemoveRepeats(&ids);
    for (const BlockId& id : ids) {
        if (!controller_.HasBlock(id.type, id.number)) return RefusePi(kBlockNotFound);
        if (controller_.IsProtected(id.type, id.number)) return RefusePi(kBlockWriteProtected);
    }
    for (const BlockId& id : ids) controller_.DeleteBlock(id.type, id.number);
    return Ack(kNoError, {kFunctionPiService});
}

}  // namespace vexal::sim
