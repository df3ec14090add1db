// Block calls: the block list of one type, upload, download with activation, delete.
#include <algorithm>
#include <cstring>

#include "connection_record.h"
#include "link_jobs.h"
#include "wire_bytes.h"

namespace vexal::cpulink {
namespace {

constexpr uint8_t kSubfunctionListOfType = 0x02;
constexpr uint16_t kNoFurtherBlock = 0xD20E;
// 65536 numbers of four bytes each: the longest list a controller can hold of one type.
constexpr size_t kMaxBlockListPayload = 65536 * 4;

constexpr uint8_t kFunctionRequestDownload = 0x1A;
constexpr uint8_t kFunctionDownloadBlock = 0x1B;
constexpr uint8_t kFunctionDownloadEnded = 0x1C;
constexpr uint8_t kFunctionStartUpload = 0x1D;
constexpr uint8_t kFunctionUpload = 0x1E;
constexpr uint8_t kFunctionEndUpload = 0x1F;
constexpr uint8_t kMoreDataFollows = 0x01;
// Block data travels behind "length, 00 FB"; the two constant bytes are not understood.
constexpr uint16_t kBlockDataMarker = 0x00FB;
// An ack-data with a 2-byte parameter and a block data header leaves PDU - 18 bytes.
constexpr size_t kBlockChunkOverhead = 18;
// Sent in an end upload that gives up before the last chunk (a buffer too small, a cancel).
constexpr uint16_t kResultGivenUp = 0x011F;
// The error class and code of an answer that refuses the controller's request for the next
// part of a download: "the service could not be processed".
constexpr uint16_t kPartRefused = 0x8404;
constexpr size_t kBlockHeaderSize = 36;
// The marker, type, number and length field of a block header end here.
constexpr uint32_t kImageLengthEnd = 12;
// The largest image a caller can hold: the GUI's upload buffer.
constexpr uint32_t kMaxDownloadImage = 135168;

bool IsBlockType(int type) {
    return BlockTypeLetter(type) != 0;
}

CpuStatus ReadBlockNumbers(LinkEngine& engine, int type, std::vector<uint16_t>* numbers) {
    const std::vector<uint8_t> request = {'0', static_cast<uint8_t>(BlockTypeLetter(type))};
    std::vector<uint8_t> payload;
    uint16_t error = 0;
    const CpuStatus status = engine.ReadUserdata(kGroupBlocks, kSubfunctionListOfType, request,
                                                 kMaxBlockListPayload, &payload, &error);
    if (status != CPULINK_OK) return status;
    numbers->clear();
    if (error == kNoFurtherBlock) return CPULINK_OK;
    if (error != 0) return StatusOfControllerError(error);
    if (payload.size() % 4 != 0) return engine.ProtocolError();
    for (size_t at = 0; at < payload.size(); at += 4) numbers->push_back(BigEndian16(&payload[at]));
    std::sort(numbers->begin(), numbers->end());
    numbers->erase(std::unique(numbers->begin(), numbers->end()), numbers->end());
    return CPULINK_OK;
}

CpuStatus GetBlockList(LinkEngine& engine, int type, int start, int* count, uint16_t* numbers,
                       int capacity) {
    std::vector<uint16_t> all;
    const CpuStatus status = ReadBlockNumbers(engine, type, &all);
    if (status != CPULINK_OK) return status;
    const size_t first = std::min(all.size(), static_cast<size_t>(start));
    const size_t delivered = std::min(all.size() - first, static_cast<size_t>(capacity));
    std::copy_n(all.begin() + static_cast<std::ptrdiff_t>(first), delivered, numbers);
    *count = static_cast<int>(delivered);
    return first + delivered < all.size() ? CPULINK_MORE_ENTRIES : CPULINK_OK;
}

std::vector<uint8_t> TransferParams(uint8_t function, uint32_t uploadId) {
    WireWriter params;
    params.U8(function);
    params.U8(0);
    params.U16(0);
    params.U32(uploadId);
    return std::move(params.Get());
}

std::vector<uint8_t> NamedTransferParams(uint8_t function, const std::string& fileName) {
    std::vector<uint8_t> params = TransferParams(function, 0);
    params.push_back(static_cast<uint8_t>(fileName.size()));
    params.insert(params.end(), fileName.begin(), fileName.end());
    return params;
}

// The block length the start upload answer announces as ASCII digits; 0 when absent.
bool AnnouncedLength(const S7Message& answer, uint32_t* length) {
    *length = 0;
    if (answer.paramLength <= 8) return true;
    WireReader reader(answer.Params() + 8, answer.paramLength - 8);
    const uint8_t digits = reader.U8();
    const uint8_t* text = reader.Take(digits);
    if (text == nullptr || digits > 9) return false;
    for (uint8_t i = 0; i < digits; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        *length = *length * 10 + (text[i] - '0');
    }
    return true;
}

CpuStatus EndUpload(LinkEngine& engine, uint32_t uploadId, uint16_t errorCode) {
    std::vector<uint8_t> params = TransferParams(kFunctionEndUpload, uploadId);
    params[2] = static_cast<uint8_t>(errorCode >> 8);
    params[3] = static_cast<uint8_t>(errorCode);
    S7Message answer;
    const CpuStatus status = engine.Exchange(kS7Job, params, {}, &answer);
    if (status != CPULINK_OK) return status;
    return StatusOfJobAnswer(engine, answer, kFunctionEndUpload);
}

// Where an upload stands: the bytes received and the most the block may still bring, the
// length the start answer announced or else the length in the image's own header.
struct UploadProgress {
    uint8_t* buffer;
    uint32_t size;
    uint32_t announced;
    uint32_t received = 0;

    uint32_t Limit() const {
        if (announced != 0) return announced;
        return received >= kImageLengthEnd ? BigEndian32(buffer + 8) : UINT32_MAX;
    }
};

// One upload answer: its chunk appended to the buffer. *more tells whether chunks follow.
CpuStatus TakeUploadChunk(LinkEngine& engine, const S7Message& answer, UploadProgress& upload,
                          bool* more) {
    const CpuStatus status = StatusOfJobAnswer(engine, answer, kFunctionUpload);
    if (status != CPULINK_OK) return status;
    *more = answer.paramLength >= 2 && (answer.Params()[1] & kMoreDataFollows);
    WireReader data(answer.Data(), answer.dataLength);
    const uint16_t length = data.U16();
    data.Skip(2);
    const uint8_t* chunk = data.Take(length);
    if (chunk == nullptr || (length == 0 && *more)) return engine.ProtocolError();
    if (length > upload.size - upload.received) {
        const bool beyondBlock = upload.received + uint64_t{length} > upload.Limit();
        return beyondBlock ? engine.ProtocolError() : CpuStatus{CPULINK_BUFFER_TOO_SMALL};
    }
    std::memcpy(upload.buffer + upload.received, chunk, length);
    upload.received += length;
    if (upload.received > upload.Limit()) return engine.ProtocolError();
    return CPULINK_OK;
}

CpuStatus UploadChunks(LinkEngine& engine, const LinkSession& session, uint32_t uploadId,
                       UploadProgress& upload) {
    const std::vector<uint8_t> params = TransferParams(kFunctionUpload, uploadId);
    S7Message answer;
    bool more = true;
    while (more) {
        if (session.CancelRequested()) return CPULINK_CANCELLED;
        CpuStatus status = engine.Exchange(kS7Job, params, {}, &answer);
        if (status == CPULINK_OK) status = TakeUploadChunk(engine, answer, upload, &more);
        if (status != CPULINK_OK) return status;
    }
    return CPULINK_OK;
}

// The image received is the block asked for, whole: its marker, type and number, and a
// length field that counts exactly the bytes received and announced.
bool IsRequestedImage(const UploadProgress& upload, int type, uint16_t number) {
    const uint8_t* image = upload.buffer;
    return upload.received >= kImageLengthEnd && cpuLink_GetBlockType(image) == type &&
           BigEndian16(image + 6) == number && BigEndian32(image + 8) == upload.received &&
           (upload.announced == 0 || upload.announced == upload.received);
}

CpuStatus UploadBlock(LinkSession& session, int type, uint16_t number, uint8_t* buffer,
                      uint32_t size) {
    LinkEngine& engine = *session.engine;
    S7Message answer;
    CpuStatus status = engine.Exchange(
        kS7Job, NamedTransferParams(kFunctionStartUpload, BlockFileName(type, number, 'A')), {},
        &answer);
    if (status != CPULINK_OK) return status;
    status = StatusOfJobAnswer(engine, answer, kFunctionStartUpload);
    if (status != CPULINK_OK) return status;
    UploadProgress upload{buffer, size, 0};
    if (answer.paramLength < 8 || !AnnouncedLength(answer, &upload.announced))
        return engine.ProtocolError();
    const uint32_t uploadId = BigEndian32(answer.Params() + 4);
    status = upload.announced > size ? CpuStatus{CPULINK_BUFFER_TOO_SMALL}
                                     : UploadChunks(engine, session, uploadId, upload);
    if (CpuStatus_IsFatal(status)) return status;
    const CpuStatus ended = EndUpload(engine, uploadId, status == CPULINK_OK ? 0 : kResultGivenUp);
    if (status != CPULINK_OK) return CpuStatus_IsFatal(ended) ? ended : status;
    if (ended != CPULINK_OK) return ended;
    if (!IsRequestedImage(upload, type, number)) return engine.ProtocolError();
    return CPULINK_OK;
}

// A download image must say it is a block and carry a length that holds its header and
// its MC7 part, within what any caller can have in memory.
bool IsDownloadableImage(const uint8_t* image) {
    const int type = cpuLink_GetBlockType(image);
    if (type < BLOCK_TYPE_OB || type > BLOCK_TYPE_SDB) return false;
    const uint32_t length = BigEndian32(image + 8);
    const uint32_t mc7Length = BigEndian16(image + 34);
    return length >= kBlockHeaderSize && length <= kMaxDownloadImage &&
           mc7Length <= length - kBlockHeaderSize;
}

std::vector<uint8_t> RequestDownloadParams(const uint8_t* image, const std::string& fileName) {
    WireWriter params;
    params.U8(kFunctionRequestDownload);
    params.U8(0);
    params.U16(0x0100);
    params.U32(0);
    params.U8(fileName.size());
    params.Text(fileName);
    params.U8(13);  // '1', load memory length and MC7 length as six digits each
    params.U8('1');
    params.Text(DecimalDigits(BigEndian32(image + 8), 6));
    params.Text(DecimalDigits(BigEndian16(image + 34), 6));
    return std::move(params.Get());
}

CpuStatus SendDownloadChunk(LinkEngine& engine, const S7Message& job, const uint8_t* image,
                            uint32_t length, uint32_t* sent) {
    if (*sent >= length && length > 0) return engine.ProtocolError();
    const uint32_t room = static_cast<uint32_t>(engine.PduSize() - kBlockChunkOverhead);
    const uint32_t part = std::min(room, length - *sent);
    const bool last = *sent + part == length;
    WireWriter data;
    data.U16(part);
    data.U16(kBlockDataMarker);
    data.Bytes(image + *sent, part);
    *sent += part;
    WireWriter params;
    params.U8(kFunctionDownloadBlock);
    params.U8(last ? 0 : kMoreDataFollows);
    return engine.AnswerControllerJob(job.reference, params.Get(), data.Get());
}

// Answers the controller's download-block jobs until it ends the download. A cancel
// refuses the next part the controller asks for, so the controller ends the download
// within one exchange and the block never reaches it.
CpuStatus ServeDownload(LinkEngine& engine, const LinkSession& session, const uint8_t* image,
                        uint32_t length) {
    uint32_t sent = 0;
    bool cancelled = false;
    for (;;) {
        S7Message job;
        CpuStatus status = engine.AwaitControllerJob(&job);
        if (status != CPULINK_OK) return status;
        if (job.paramLength < 1) return engine.ProtocolError();
        const uint8_t function = job.Params()[0];
        if (function == kFunctionDownloadBlock) {
            cancelled = cancelled || session.CancelRequested();
            status = cancelled ? engine.AnswerControllerJob(job.reference, {function, 0}, {},
                                                            kPartRefused)
                               : SendDownloadChunk(engine, job, image, length, &sent);
            if (status != CPULINK_OK) return status;
            continue;
        }
        if (function != kFunctionDownloadEnded) return engine.ProtocolError();
        status = engine.AnswerControllerJob(job.reference, {kFunctionDownloadEnded}, {});
        if (status != CPULINK_OK) return status;
        if (cancelled) return CPULINK_CANCELLED;
        const uint16_t abortCode = job.paramLength >= 4 ? BigEndian16(job.Params() + 2) : 0;
        if (abortCode != 0) return StatusOfControllerError(abortCode);
        return sent == length ? CPULINK_OK : CPULINK_NEGATIVE_ANSWER;
    }
}

std::vector<uint8_t> OneBlockList(int type, uint16_t number, char state) {
    const std::string id = BlockId(type, number) + state;
    std::vector<uint8_t> list = {1, 0};
    list.insert(list.end(), id.begin(), id.end());
    return list;
}

CpuStatus DownloadBlock(LinkSession& session, const uint8_t* image) {
    LinkEngine& engine = *session.engine;
    const int type = cpuLink_GetBlockType(image);
    const uint16_t number = BigEndian16(image + 6);
    const uint32_t length = BigEndian32(image + 8);
    S7Message answer;
    CpuStatus status = engine.Exchange(
        kS7Job, RequestDownloadParams(image, BlockFileName(type, number, 'P')), {}, &answer);
    if (status == CPULINK_OK) status = StatusOfJobAnswer(engine, answer, kFunctionRequestDownload);
    if (status == CPULINK_OK) status = ServeDownload(engine, session, image, length);
    if (status != CPULINK_OK) return status;
    return RunPiService(engine, OneBlockList(type, number, 'P'), "_INSE");
}

CpuStatus DeleteBlock(LinkEngine& engine, int type, uint16_t number) {
    return RunPiService(engine, OneBlockList(type, number, 'B'), "_DELE");
}

}  // namespace
}  // namespace vexal::cpulink

using namespace vexal::cpulink;

extern "C" {

CpuStatus cpuLink_GetBlockList(CpuConnection* record, int type, int start, int* count,
                               uint16_t* numbers, int capacity) {
    if (count != nullptr) *count = 0;
    return WithLink(record, [&](LinkEngine& engine) -> CpuStatus {
        if (!IsBlockType(type) || start < 0 || count == nullptr || capacity < 0 ||
            (numbers == nullptr && capacity > 0)) {
            return CPULINK_INVALID_ARGUMENT;
        }
        return GetBlockList(engine, type, start, count, numbers, capacity);
    });
}

CpuStatus cpuLink_UploadBlock(CpuConnection* record, int type, uint16_t number, uint8_t* buffer,
                              uint32_t size) {
    return WithSession(record, [&](LinkSession& session) -> CpuStatus {
        if (!IsBlockType(type) || buffer == nullptr) return CPULINK_INVALID_ARGUMENT;
        return UploadBlock(session, type, number, buffer, size);
    });
}

CpuStatus cpuLink_DownloadBlock(CpuConnection* record, const uint8_t* image) {
    return WithSession(record, [&](LinkSession& session) -> CpuStatus {
        if (image == nullptr || !IsDownloadableImage(image)) return CPULINK_INVALID_ARGUMENT;
        return DownloadBlock(session, image);
    });
}

void cpuLink_SetCancelCheck(CpuConnection* record, CpuCancelCheck check, void* context) {
    if (LinkSession* session = SessionOf(record)) {
        session->cancelCheck = check;
        session->cancelContext = check != nullptr ? context : nullptr;
    }
}

CpuStatus cpuLink_DeleteBlock(CpuConnection* record, int type, uint16_t number) {
    return WithLink(record, [&](LinkEngine& engine) -> CpuStatus {
        if (!IsBlockType(type)) return CPULINK_INVALID_ARGUMENT;
        return DeleteBlock(engine, type, number);
    });
}

}  // extern "C"
