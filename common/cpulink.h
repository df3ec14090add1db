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
    CPULINK_CANCELLED = 0x400A,            /* stopped by the record's cancel check */
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
 * not on the bus, a gateway that does not confirm the station within the connect time),
 * CPULINK_CANNOT_CONNECT, CPULINK_TIMEOUT, CPULINK_PROTOCOL_ERROR. */
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

/* Writes an English sentence for a status into buffer (capacity in characters). Every
 * status of the table above, 0x0000, and the GUI's own 0xC001 (PLC access not obtained) and
 * 0x4010 (unusable status list answer) have their own sentence, none longer than 127
 * characters; any other status gets a generic sentence with its number, which also says
 * that the link counts as lost when the status is fatal. A sentence that does not fit is
 * cut; the text is always terminated and nothing is written past capacity. Returns non-zero
 * when a text was written, 0 for a null buffer or a capacity below 1. */
CPULINK_API int cpuLink_ErrorString(CpuStatus status, wchar_t* buffer, int capacity);

/* Writes an English text for a diagnostic event id into buffer (capacity in characters,
 * 128 is enough for every text; a longer text is cut, always terminated, nothing written
 * past capacity). Known: the common events of classes 1 to 6 by their exact id (warm,
 * hot and cold restarts, program errors, cycle and interrupt errors, rack and module
 * faults, mode transitions, STOP and DEFECT causes, memory card and connection events) and
 * the module diagnostic events of class 8 by id & 0xF0FF, followed by "(coming)" or
 * "(going)" from bit 8. Returns non-zero when the id is known; 0 with an empty text for an
 * unknown id, and 0 for a null buffer or a capacity below 1. */
CPULINK_API int cpuLink_DiagnoseString(uint16_t eventId, wchar_t* buffer, int capacity);

/* ---- Clock -------------------------------------------------------------------- */

CPULINK_API CpuStatus cpuLink_GetClock(CpuConnection* record, CpuClock* clock);
CPULINK_API CpuStatus cpuLink_SetClock(CpuConnection* record, const CpuClock* clock);

/* The clock value is the S7 DATE_AND_TIME, BCD digits: byte 0 year (90-99 are 1990-1999,
 * 00-89 are 2000-2089), 1 month 1-12, 2 day, 3 hour, 4 minute, 5 second, 6 and the high
 * nibble of 7 milliseconds, low nibble of 7 weekday (1 Sunday to 7 Saturday). */

/* Converts a clock value to a calendar record. Returns 0, leaving *out unchanged, for a
 * digit above 9 (milliseconds included), a field out of range or a day the month does not
 * have. The weekday nibble is not trusted: dayOfWeek is computed from the date. The
 * milliseconds are dropped. */
CPULINK_API int cpuLink_S7TimeToTM(BrokenDownTime* out, const CpuClock* in);

/* Converts a calendar record (years 1990 to 2089) to a clock value with milliseconds 0 and
 * the weekday computed from the date; the record's dayOfWeek is not read. Returns 0,
 * leaving *out unchanged, for a year outside 1990-2089, any other field out of its range
 * or a day the month does not have (29 February only in leap years). */
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

/* Asked by a block transfer on this record before each exchange after the first; null
 * removes it. A non-zero answer stops an upload there: the library ends the upload with
 * the controller (one more exchange) and returns CPULINK_CANCELLED, the link staying open.
 * A download, which the controller leads, is asked before each part the controller
 * requests: a non-zero answer refuses that request (an ack-data with error 0x8404), the
 * controller ends the download without the block, and the library answers its end and
 * returns CPULINK_CANCELLED, the link staying open. The check runs on the calling thread,
 * inside the call; it must not call the library on this record. */
typedef int (*CpuCancelCheck)(void* context);
CPULINK_API void cpuLink_SetCancelCheck(CpuConnection* record, CpuCancelCheck check, void* context);

/* Deletes a block. Errors: CPULINK_NOT_FOUND, CPULINK_BLOCK_PROTECTED. */
CPULINK_API CpuStatus cpuLink_DeleteBlock(CpuConnection* record, int type, uint16_t number);

/* What a controller reports about one of its blocks without an upload: the fields of the
 * block image's header and trailer. A time stamp is the header's six bytes as one
 * big-endian number: milliseconds since midnight (32 bits) then days since 1984-01-01
 * (16 bits). The names are the trailer's 8-character fields, terminated, trailing blanks
 * and zeros dropped. */
#define CPULINK_BLOCK_NAME_CAPACITY 9
typedef struct CpuBlockInfo {
    int32_t type; /* type index, as in the other block calls */
    uint16_t number;
    uint8_t language;    /* 1 STL, 2 LAD, 3 FBD, 4 SCL, 5 DB, 6 GRAPH, 7 SDB, ... */
    uint8_t flags;       /* header byte 3 */
    uint32_t loadLength; /* the whole image, header and trailer included */
    uint32_t codeLength; /* the MC7 code */
    uint32_t localDataLength;
    uint16_t checksum;
    uint8_t version; /* high nibble major, low nibble minor */
    uint8_t reserved;
    uint64_t codeTime;
    uint64_t interfaceTime;
    char author[CPULINK_BLOCK_NAME_CAPACITY];
    char family[CPULINK_BLOCK_NAME_CAPACITY];
    char name[CPULINK_BLOCK_NAME_CAPACITY];
} CpuBlockInfo;

/* Fills *info with the controller's facts about its active copy of a block; *info is
 * zeroed first. Errors: CPULINK_NOT_FOUND, CPULINK_INVALID_ARGUMENT, CPULINK_PROTOCOL_ERROR
 * when the answer is not the info of the block asked for. */
CPULINK_API CpuStatus cpuLink_GetBlockInfo(CpuConnection* record, int type, uint16_t number,
                                           CpuBlockInfo* info);

/* The type index of a block image that begins with 0x70 0x70, from its type code at
 * byte 5: 0 OB, 1 FB, 2 FC, 3 DB, 4 SDB, 5 SFB, 6 SFC; -1 for anything else. Reads bytes
 * 0 to 5 only. */
CPULINK_API int cpuLink_GetBlockType(const uint8_t* image);

/* ---- Controller control ------------------------------------------------------- */

/* Compresses the controller memory, waiting at most timeoutMs milliseconds (30000). */
CPULINK_API CpuStatus cpuLink_CompressMemory(CpuConnection* record, uint32_t timeoutMs);

/* Copies RAM to ROM, waiting at most timeoutMs milliseconds (120000). */
CPULINK_API CpuStatus cpuLink_CopyRamToRom(CpuConnection* record, uint32_t timeoutMs);

/* Memory reset (only in STOP), stop, warm restart. A controller already in the requested
 * mode, or a mode selector at STOP for a restart, gives CPULINK_WRONG_MODE.
 * Errors: CPULINK_WRONG_MODE, CPULINK_ACCESS_DENIED. */
CPULINK_API CpuStatus cpuLink_Clear(CpuConnection* record);
CPULINK_API CpuStatus cpuLink_Stop(CpuConnection* record);
CPULINK_API CpuStatus cpuLink_WarmRestart(CpuConnection* record);

/* Reads a system status list, reassembled from every fragment of the answer. The records
 * arrive big-endian and back to back in buffer exactly as the controller sent them;
 * *recordLength and *recordCount describe them. When not all records fit, as many whole
 * records as fit are delivered and counted and CPULINK_MORE_ENTRIES is returned.
 * Errors: CPULINK_NOT_FOUND (list or index not available). */
CPULINK_API CpuStatus cpuLink_ReadSsl(CpuConnection* record, uint16_t listId, uint16_t index,
                                      uint16_t* recordLength, uint16_t* recordCount,
                                      uint8_t* buffer, uint32_t size);

/* ---- Variables ---------------------------------------------------------------- */

/* Reads or writes count variables, all in one exchange whenever they fit the negotiated
 * PDU (sixteen always do). A read stores each value into the variable's value word and
 * sets valuePresent; a variable the controller refuses gets valuePresent 0 without
 * failing the read. A write returns the status of the first refused item.
 * Errors: CPULINK_INVALID_ARGUMENT, CPULINK_TYPE_NOT_SUPPORTED (nothing sent), item
 * refusals of a write, fatal statuses. */
CPULINK_API CpuStatus cpuLink_ReadVariables(CpuConnection* record,
                                            VariableDescriptor* const* variables, int count);
CPULINK_API CpuStatus cpuLink_WriteVariables(CpuConnection* record,
                                             VariableDescriptor* const* variables, int count);

/* Fills a descriptor from an S7 address text. Letters in any case; blanks are allowed
 * around the text and between its parts ("M 10.3", "DB 10.DBD 4"). English and German:
 *   kind 1 bit          I/E, Q/A, M byte.bit            I0.1 E0.1 Q4.0 A4.0 M10.3
 *   kind 2 byte         IB/EB QB/AB MB PIB/PEB PQB/PAB  IB0 EB0 MB1 PIB256 PEB256
 *   kind 3 word         IW/EW QW/AW MW PIW/PEW PQW/PAW  QW2 AW2 MW10 PIW256 PAW256
 *   kind 4 double word  ID/ED QD/AD MD PID/PED PQD/PAD  MD4 PQD8
 *   kinds 1 to 4 in a data block: DBn.DBX byte.bit, DBn.DBB byte, DBn.DBW, DBn.DBD
 *                                                       DB1.DBX0.0 DB1.DBB3 DB1.DBW2 DB1.DBD4
 *   kind 5 counter      C n / Z n                       C3 Z3
 *   kind 6 timer        T n                             T5
 * The any-pointer "P#" area byte.bit TYPE count names count elements: area I/E, Q/A, M or
 * DBn.DBX; TYPE BOOL (kind 1), BYTE, WORD or DWORD (kinds 2 to 4); the bit must be 0
 * unless TYPE is BOOL. "P#DB1.DBX0.0 BYTE 10" gives kind 2 with an element count of 10.
 * Limits: byte 0-65535, bit 0-7, DB 1-65535, timer and counter numbers 0-65535, count
 * 1-65535. Fields set: area (0x81 I, 0x82 Q, 0x83 M, 0x84 DB, 0x80 peripheral for both
 * directions, 0x1C counters, 0x1D timers), transportSize (0x01 bit, 0x02 byte, 0x04 word,
 * 0x06 double word, 0x1C counter, 0x1D timer), byteOffset (first byte, or the timer or
 * counter number), bitOffset (0 unless a bit), dbNumber (0 outside data blocks),
 * elementCount (1 except for an any-pointer), valuePresent 0. The value address is left as
 * it was. Returns non-zero for a valid address; anything else returns 0 and leaves the
 * descriptor unchanged. */
CPULINK_API int cpuLink_ParseVariableW(VariableDescriptor* variable, const wchar_t* text);

/* Converts a value text into the variable's value word (layout below, at
 * cpuLink_GetVariableValueAsString). Blanks around the text are ignored, letters may be in
 * any case. Accepted, each checked against the kind:
 *   plain decimal, for every kind but the timer: bit 0 or 1, byte 0 to 255, word -32768
 *     to 65535, double word -2147483648 to 4294967295, counter the count 0 to 999;
 *   16#, B#16# (up to 2 digits), W#16# (4), DW#16# (8), also BYTE#16#, WORD#16#,
 *     DWORD#16#, and 2# binary, "_" allowed between digits: the variable's raw bits, which
 *     must fit it (a counter holds three BCD digits, a timer a valid S5TIME word);
 *   bit: TRUE, FALSE;
 *   word and counter: C#0 to C#999, stored in BCD;
 *   word and timer: S5T# or S5TIME# with the units H, M, S, MS in that order, each at most
 *     once, "_" optional between them, up to 2H_46M_30S; the finest time base that holds
 *     the time is used and what it cannot hold is dropped (S5T#137MS gives 130 ms);
 *   double word: L# signed decimal; a decimal number with a point or an exponent ("1.5",
 *     "-2e-3", "1.500000e+00") as IEEE single precision; a pointer P#M10.0 with areas
 *     P, I/E, Q/A, M, DBX, DIX, L, V or none (P#10.3), a blank allowed after the area.
 * Every text cpuLink_GetVariableValueAsString writes reads back to the same value word,
 * with one exception: an S5TIME word in a coarser time base than needed (a running timer
 * counts down in the base it started with) reads back as the same time in the finest base.
 * The bytes after the variable's own are set to zero. Returns non-zero when the text was
 * accepted; otherwise 0 and the value word is unchanged. Needs a descriptor of kind 1 to
 * 6 with one element and a value address; valuePresent is not touched. */
CPULINK_API int cpuLink_SetVariableValueFromStringW(VariableDescriptor* variable,
                                                    const wchar_t* text);

/* Writes the canonical English address text into out (capacity 20 holds every address
 * of one element): "I0.1", "MB1", "MW10", "MD4", "PIW256", "DB1.DBX0.0", "DB1.DBW2", "C3",
 * "T5"; for more than one element the any-pointer "P#DB1.DBX0.0 BYTE 10" (up to 32
 * characters, so it needs a larger capacity). Peripheral addresses are written in the
 * input form (PIB, PIW, PID): PQW256 and PIW256 are the same read/write item and the
 * descriptor keeps no direction. Parsing the text gives back the same descriptor.
 * Returns non-zero on success; 0 with an empty text for a descriptor that no address text
 * gives, or when the text does not fit capacity (never a shortened address). */
CPULINK_API int cpuLink_FormatVariable(wchar_t* out, int capacity,
                                       const VariableDescriptor* variable);

/* Writes the value word as text in a display format (enum VariableFormat) into out
 * (capacity 50 holds every text). The value word holds the variable's bytes in controller
 * order from its first byte on: bit one byte 0 or 1; byte one byte; word two bytes, high
 * first; double word four bytes, high first; counter two bytes holding three BCD digits;
 * timer two bytes S5TIME (bits 13-12 the base 10 ms, 100 ms, 1 s, 10 s; three BCD digits).
 *   BIN      2#0000_0101, every bit of the variable, in groups of four
 *   DEC      bit 0 or 1, byte 0 to 255, word and double word signed ("-12")
 *   HEX      16#05, 16#00FF, 16#000000FF: two digits per byte
 *   FLOAT    1.500000e+00: IEEE single precision with 7 significant digits, or 8 or 9
 *            when reading the text back needs them
 *   POINTER  P#M10.0, P#DBX2.3, P#10.3 (area-internal)
 *   COUNTER  C#123
 *   S5_TIME  S5T#1S_200MS, zero units left out, S5T#0MS for zero
 * Formats per kind: bit DEC; byte BIN, DEC, HEX; word BIN, DEC, HEX, COUNTER, S5_TIME;
 * double word BIN, DEC, HEX, FLOAT, POINTER; counter BIN, HEX, COUNTER; timer BIN, HEX,
 * S5_TIME. Any other format from 1 to 7 gives the kind's own text instead: DEC for a bit,
 * HEX for byte, word and double word, COUNTER for a counter, S5_TIME for a timer. A value
 * the format cannot show (no three BCD digits for COUNTER, no valid S5TIME, a float that
 * is infinite or not a number, a double word that is no pointer) is written in HEX.
 * valuePresent is not looked at. Returns non-zero on success; 0 with an empty text for a
 * format outside 1 to 7, a descriptor without value address, of another kind or with more
 * than one element, or when the text does not fit capacity (never a shortened value). */
CPULINK_API int cpuLink_GetVariableValueAsString(wchar_t* out, int capacity,
                                                 const VariableDescriptor* variable,
                                                 int format);

/* ---- Decoding of system status list records ----------------------------------- */

/* The state of one 4-byte LED record of list 0x0019 (bytes 0-1 LED id, byte 2 on: 0 or 1,
 * byte 3 flashing: 0 steady, 1 at 2 Hz, 2 at 0.5 Hz): 0 off, 1 on, 2 flashing fast,
 * 3 flashing slowly. A flashing byte of 1 or 2 decides whatever the on byte says. -1 for
 * any other byte value and for a null record. */
CPULINK_API int cpuLink_DecodeLedState(const uint8_t* ledRecord);

/* The operating mode from a 20-byte record of list 0x0424, read from the low nibble of
 * byte 3 (the current mode; the high nibble is ignored): 0 STOP for codes 1 to 4, 1 RUN
 * for 8 and for the start-up codes 5, 6 and 7 (a controller in start-up is on its way to
 * RUN and can be stopped), 2 HALT for 0xA (hold), 3 FAULT for 0xD (defect); -1 for any
 * other code and for a null record. */
CPULINK_API int cpuLink_DecodeOperationMode(const uint8_t* modeRecord);

#ifdef __cplusplus
}
#endif

#endif
