/* Types shared by both programs and both libraries. Plain C so that the library
 * contracts can use them; every type here has a fixed, documented layout. */
#ifndef VEXAL_COMMON_VEXAL_TYPES_H
#define VEXAL_COMMON_VEXAL_TYPES_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Block type indexes. The block store and the project files hold 0 to 4 only; the
 * library also reports 5 and 6 for system blocks, and -1 for an image that is no block. */
enum BlockType {
    BLOCK_TYPE_NONE = -1,
    BLOCK_TYPE_OB = 0,
    BLOCK_TYPE_FB = 1,
    BLOCK_TYPE_FC = 2,
    BLOCK_TYPE_DB = 3,
    BLOCK_TYPE_SDB = 4,
    BLOCK_TYPE_SFB = 5,
    BLOCK_TYPE_SFC = 6
};

/* The number of block types a project can hold (OB, FB, FC, DB, SDB). */
#define BLOCK_TYPE_COUNT 5

/* A block travelling as one value: type index in bits 16 to 31, number in bits 0 to 15.
 * Bit 31 may carry a stale mark in the controller block list. */
typedef uint32_t BlockRef;

static inline BlockRef BlockRef_Pack(int type, uint16_t number) {
    return ((uint32_t)(uint16_t)type << 16) | number;
}
static inline int BlockRef_Type(BlockRef ref) { return (int)(uint16_t)(ref >> 16); }
static inline uint16_t BlockRef_Number(BlockRef ref) { return (uint16_t)(ref & 0xFFFFu); }

/* Station identity in the station list: below 127 an MPI address; 127 and above an IPv4
 * address with its first octet in the least significant byte, the form that
 * cpuNet_OpenConnection takes. */
typedef uint32_t StationKey;

#define STATION_KEY_FIRST_IP 127u

static inline StationKey StationKey_FromOctets(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
    return (uint32_t)a | ((uint32_t)b << 8) | ((uint32_t)c << 16) | ((uint32_t)d << 24);
}
static inline uint8_t StationKey_Octet(StationKey key, int index) {
    return (uint8_t)(key >> (8 * index));
}
static inline int StationKey_IsIp(StationKey key) { return key >= STATION_KEY_FIRST_IP; }

/* Broken-down calendar time, the record the clock calls take and give. */
typedef struct BrokenDownTime {
    int second;         /* 0 to 59 */
    int minute;         /* 0 to 59 */
    int hour;           /* 0 to 23 */
    int dayOfMonth;     /* 1 to 31 */
    int month;          /* 0 to 11 */
    int yearsSince1900; /* 2000 is 100 */
    int dayOfWeek;      /* 0 Sunday to 6 Saturday */
} BrokenDownTime;

/* Variable kinds as the address parser reports them; 0 means no variable yet. */
enum VariableKind {
    VARIABLE_KIND_NONE = 0,
    VARIABLE_KIND_BIT = 1,
    VARIABLE_KIND_BYTE = 2,
    VARIABLE_KIND_WORD = 3,
    VARIABLE_KIND_DWORD = 4,
    VARIABLE_KIND_COUNTER = 5,
    VARIABLE_KIND_TIMER = 6
};

/* Display formats of a variable value; the codes are stored in variable list files. */
enum VariableFormat {
    VARIABLE_FORMAT_NONE = 0,
    VARIABLE_FORMAT_BIN = 1,
    VARIABLE_FORMAT_DEC = 2,
    VARIABLE_FORMAT_HEX = 3,
    VARIABLE_FORMAT_FLOAT = 4,
    VARIABLE_FORMAT_POINTER = 5,
    VARIABLE_FORMAT_COUNTER = 6,
    VARIABLE_FORMAT_S5_TIME = 7
};

/* A variable as the communication library describes it. The programs rely only on
 * kind (offset 0), valuePresent (4), elementCount (8) and value (16); the other fields
 * are the library's and carry what a read or write item needs. The value word holds
 * the variable's bytes in controller order from its first byte on. On a 64-bit build the
 * value address is 8 bytes wide and the record 24 bytes long; nothing may assume 20. */
typedef struct VariableDescriptor {
    uint8_t kind;          /* enum VariableKind */
    uint8_t area;          /* controller memory area code */
    uint8_t transportSize; /* item transport size */
    uint8_t bitOffset;     /* 0 to 7 for a bit, else 0 */
    uint32_t valuePresent; /* 0: no value to show */
    uint16_t elementCount; /* the programs accept a variable only when this is 1 */
    uint16_t dbNumber;     /* data block number, 0 outside data blocks */
    uint32_t byteOffset;   /* first byte; timer or counter number for those kinds */
    uint32_t* value;       /* the 4-byte value word the caller owns */
} VariableDescriptor;

#define VARIABLE_DESCRIPTOR_KIND_OFFSET 0
#define VARIABLE_DESCRIPTOR_VALUE_PRESENT_OFFSET 4
#define VARIABLE_DESCRIPTOR_ELEMENT_COUNT_OFFSET 8
#define VARIABLE_DESCRIPTOR_VALUE_OFFSET 16

#ifdef __cplusplus
}
#endif

#endif
