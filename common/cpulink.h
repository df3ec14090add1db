/* libcpulink: the S7 communication library. Both programs reach a controller only
 * through these calls.
 *
 * Calling order: initialise each connection record once at start (cpuBus_InitConnection
 * or cpuNet_InitConnection), open it on connect, log in when a password is set, run
 * operations, close it on disconnect, destroy it at exit.
 *
 * Status words: 0 is success. A status with both bits of 0xC000 set is fatal: the link
 * counts as lost and the caller must open again before the next operation. Any other
 * non-zero status is a condition of that call only. Every call that talks to a
 * controller is bounded in time. */
#ifndef VEXAL_COMMON_CPULINK_H
#define VEXAL_COMMON_CPULINK_H

#include <stddef.h>
#include <stdint.h>
#include <wchar.h>

#include "vexal_types.h"

#if defined(_WIN32)
#define CPULINK_API
#else
#define CPULINK_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef uint16_t CpuStatus;

enum CpuStatusWord {
    CPULINK_OK = 0x0000,
    CPULINK_NOT_FOUND = 0x4001,            /* block, status list or data block absent */
    CPULINK_MORE_ENTRIES = 0x4002,         /* block list: call again from start + count */
    CPULINK_ACCESS_DENIED = 0x4003,        /* refused by the protection level */
    CPULINK_WRONG_MODE = 0x4004,           /* not possible in the current operating mode */
    CPULINK_ADDRESS_OUT_OF_RANGE = 0x4005, /* address beyond the controller's areas */
    CPULINK_TYPE_NOT_SUPPORTED = 0x4006,   /* data type or transport size not supported */
    CPULINK_BLOCK_PROTECTED = 0x4007,      /* block protected against this access */
    CPULINK_BUFFER_TOO_SMALL = 0x4008,     /* the answer does not fit the caller's buffer */
    CPULINK_INVALID_ARGUMENT = 0x4009,     /* nothing was sent */
    CPULINK_NEGATIVE_ANSWER = 0x400F,      /* any other refusal of the controller */
    CPULINK_CANNOT_CONNECT = 0xC002,       /* refused, unreachable, connect time-out */
    CPULINK_CONNECTION_LOST = 0xC003,      /* closed or reset by the peer */
    CPULINK_TIMEOUT = 0xC004,              /* no answer within the answer time-out */
    CPULINK_PROTOCOL_ERROR = 0xC005,       /* an answer that does not parse */
    CPULINK_NOT_CONNECTED = 0xC006,        /* no open connection on this record */
    CPULINK_ADAPTER_OFFLINE = 0xC007,      /* MPI adapter not available or not online */
    CPULINK_PASSWORD_REFUSED = 0xC008      /* fatal on purpose: the link is dropped */
};

#define CPULINK_FATAL_MASK 0xC000u

/* Non-zero when the status means the link is lost. */
static inline int CpuStatus_IsFatal(CpuStatus status) {
    return (status & CPULINK_FATAL_MASK) == CPULINK_FATAL_MASK;
}

/* A connection record: 2128 bytes of the caller's zero-filled storage, one per transport.
 * The library keeps its state inside it; the caller never looks inside. */
#define CPULINK_CONNECTION_SIZE 2128
typedef union CpuConnection {
    unsigned char bytes[CPULINK_CONNECTION_SIZE];
    uint64_t alignWord;
    void* alignPointer;
    double alignDouble;
} CpuConnection;

/* A controller clock value: 8 bytes, the controller's DATE_AND_TIME. */
#define CPULINK_CLOCK_SIZE 8
typedef struct CpuClock {
    unsigned char bytes[CPULINK_CLOCK_SIZE];
} CpuClock;

/* Limits the callers size their buffers by. */
#define CPULINK_MAX_BLOCK_IMAGE 133120   /* largest block image a project file holds */
#define CPULINK_ERROR_TEXT_CAPACITY 256  /* what the GUI asks cpuLink_ErrorString for */
#define CPULINK_DIAGNOSE_TEXT_CAPACITY 128
#define CPULINK_ADDRESS_TEXT_CAPACITY 20
#define CPULINK_VALUE_TEXT_CAPACITY 50

/* ---- Connections ---------------------------------------------------------------- */

/* Binds a record to the MPI adapter handle from Busport_Open. Succeeds for an adapter
 * that is open but not online. Errors: CPULINK_ADAPTER_OFFLINE for an invalid handle. */
CPULINK_API CpuStatus cpuBus_InitConnection(CpuConnection* record, int adapterHandle);

/* Prepares a record for TCP/IP connections. */
CPULINK_API CpuStatus cpuNet_InitConnection(CpuConnection* record);

/* Opens a link to the station at this MPI address through the record's adapter. An open
 * record is closed first. Errors: CPULINK_ADAPTER_OFFLINE (adapter not online, address
 * not on the bus), CPULINK_CANNOT_CONNECT, CPULINK_TIMEOUT, CPULINK_PROTOCOL_ERROR. */
CPULINK_API CpuStatus cpuBus_OpenConnection(CpuConnection* record, int mpiAddress);

/* Opens a link to the controller at this IPv4 address (first octet in the least
 * significant byte). An open record is closed first. Errors: CPULINK_CANNOT_CONNECT,
 * CPULINK_TIMEOUT, CPULINK_PROTOCOL_ERROR. */
CPULINK_API CpuStatus cpuNet_OpenConnection(CpuConnection* record, uint32_t ipv4Address);

/* Sends the password (at most 8 characters) to the controller.
 * Errors: CPULINK_PASSWORD_REFUSED, CPULINK_INVALID_ARGUMENT, any fatal status. */
CPULINK_API CpuStatus cpuLink_LogInW(CpuConnection* record, const wchar_t* password);

/* Closes the link; the record stays initialised. Safe on a record that is not open. */
CPULINK_API void cpuLink_CloseConnection(CpuConnection* record);

/* Closes the link and releases everything the record holds. Safe on an all-zero record
 * that was never initialised and on a record destroyed before. */
CPULINK_API void cpuLink_DestroyConnection(CpuConnection* record);

/* ---- Texts -------------------------------------------------------------------- */

/* Writes an English sentence for a status into buffer (capacity in characters, text
 * always terminated). Returns non-zero when a text was written, 0 for an unknown status
 * or a capacity below 1. */
CPULINK_API int cpuLink_ErrorString(CpuStatus status, wchar_t* buffer, int capacity);

/* Writes the text of a diagnostic event id. Returns non-zero when the id is known. */
CPULINK_API int cpuLink_DiagnoseString(uint16_t eventId, wchar_t* buffer, int capacity);

/* ---- Clock -------------------------------------------------------------------- */

CPULINK_API CpuStatus cpuLink_GetClock(CpuConnection* record, CpuClock* clock);
CPULINK_API CpuStatus cpuLink_SetClock(CpuConnection* record, const CpuClock* clock);

/* Converts a clock value to a calendar record. Returns non-zero when the clock value is
 * a valid date and time. */
CPULINK_API int cpuLink_S7TimeToTM(BrokenDownTime* out, const CpuClock* in);

/* Converts a calendar record (years 1990 to 2089) to a clock value. Returns non-zero when
 * the record is a valid date and time. */
CPULINK_API int cpuLink_TMToS7Time(CpuClock* out, const BrokenDownTime* in);

/* ---- Blocks ------------------------------------------------------------------- */

/* Delivers the controller's numbers of blocks of this type in ascending order, from
 * position start on, at most capacity of them; *count receives how many.
 * Returns CPULINK_MORE_ENTRIES when more remain after those delivered. */
CPULINK_API CpuStatus cpuLink_GetBlockList(CpuConnection* record, int type, int start, int* count,
                                           uint16_t* numbers, int capacity);

/* Copies the whole block image into buffer. Errors: CPULINK_NOT_FOUND,
 * CPULINK_BLOCK_PROTECTED, CPULINK_BUFFER_TOO_SMALL (nothing written past size),
 * CPULINK_PROTOCOL_ERROR when the image's length field differs from what arrived. */
CPULINK_API CpuStatus cpuLink_UploadBlock(CpuConnection* record, int type, uint16_t number,
                                          uint8_t* buffer, uint32_t size);

/* Loads a block image (it begins with 0x70 0x70 and its length field says how long it is)
 * into the controller and activates it. Errors: CPULINK_INVALID_ARGUMENT before anything
 * is sent when the image is malformed; controller refusals. */
CPULINK_API CpuStatus cpuLink_DownloadBlock(CpuConnection* record, const uint8_t* image);

/* Deletes a block. Errors: CPULINK_NOT_FOUND, CPULINK_BLOCK_PROTECTED. */
CPULINK_API CpuStatus cpuLink_DeleteBlock(CpuConnection* record, int type, uint16_t number);

/* The type index of a block image that begins with 0x70 0x70, from its type code at
 * byte 5: 0 OB, 1 FB, 2 FC, 3 DB, 4 SDB, 5 SFB, 6 SFC; -1 for anything else. Reads bytes
 * 0 to 5 only. */
CPULINK_API int cpuLink_GetBlockType(const uint8_t* image);

/* ---- Controller control ------------------------------------------------------- */

/* Compresses the controller memory, waiting at most timeoutMs milliseconds (30000). */
CPULINK_API CpuStatus cpuLink_CompressMemory(CpuConnection* record, uint32_t timeoutMs);

/* Copies RAM to ROM, waiting at most timeoutMs milliseconds (120000). */
CPULINK_API CpuStatus cpuLink_CopyRamToRom(CpuConnection* record, uint32_t timeoutMs);

/* Memory reset, stop, warm restart. Errors: CPULINK_WRONG_MODE, CPULINK_ACCESS_DENIED. */
CPULINK_API CpuStatus cpuLink_Clear(CpuConnection* record);
CPULINK_API CpuStatus cpuLink_Stop(CpuConnection* record);
CPULINK_API CpuStatus cpuLink_WarmRestart(CpuConnection* record);

/* Reads a system status list. The records arrive big-endian and back to back in buffer;
 * *recordLength and *recordCount describe them. Errors: CPULINK_NOT_FOUND,
 * CPULINK_BUFFER_TOO_SMALL (the records that fit are delivered and counted). */
CPULINK_API CpuStatus cpuLink_ReadSsl(CpuConnection* record, uint16_t listId, uint16_t index,
                                      uint16_t* recordLength, uint16_t* recordCount,
                                      uint8_t* buffer, uint32_t size);

/* ---- Variables ---------------------------------------------------------------- */

/* Reads or writes count variables in one exchange. A read stores each value into the
 * variable's value word and sets valuePresent; a variable the controller refuses gets
 * valuePresent 0. Errors: CPULINK_INVALID_ARGUMENT, item refusals, fatal statuses. */
CPULINK_API CpuStatus cpuLink_ReadVariables(CpuConnection* record,
                                            VariableDescriptor* const* variables, int count);
CPULINK_API CpuStatus cpuLink_WriteVariables(CpuConnection* record,
                                             VariableDescriptor* const* variables, int count);

/* Fills a descriptor from an address text such as "MW10" or "DB1.DBX0.0". The value
 * address is left as it was. Returns non-zero when the text is a valid address. */
CPULINK_API int cpuLink_ParseVariableW(VariableDescriptor* variable, const wchar_t* text);

/* Converts a value text into the variable's value word. Returns non-zero when the text is
 * a valid value for the variable's kind. */
CPULINK_API int cpuLink_SetVariableValueFromStringW(VariableDescriptor* variable,
                                                    const wchar_t* text);

/* Writes the canonical address text ("MW10", "DB1.DBW2") into out (capacity 20).
 * Returns non-zero on success. */
CPULINK_API int cpuLink_FormatVariable(wchar_t* out, int capacity,
                                       const VariableDescriptor* variable);

/* Writes the value word as text in a display format (enum VariableFormat) into out
 * (capacity 50). Returns non-zero on success. */
CPULINK_API int cpuLink_GetVariableValueAsString(wchar_t* out, int capacity,
                                                 const VariableDescriptor* variable,
                                                 int format);

/* ---- Decoding of system status list records ----------------------------------- */

/* The state of one 4-byte LED record (list 0x19): 0 off, 1 on, 2 flashing. */
CPULINK_API int cpuLink_DecodeLedState(const uint8_t* ledRecord);

/* The operating mode number from a 20-byte record of list 0x424, or -1. */
CPULINK_API int cpuLink_DecodeOperationMode(const uint8_t* modeRecord);

#ifdef __cplusplus
}
#endif

#endif
