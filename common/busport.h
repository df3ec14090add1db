/* libbusport: the MPI adapter library.
 *
 * Calling order: Busport_Open once at start; when MPI is wanted Busport_GoOnlineDefault
 * and then Busport_GetCurNetPrm (MPI is usable only when both return non-zero);
 * cpuBus_InitConnection with the handle; Busport_CheckRemoteOnline once per address
 * during a scan; Busport_GoOffline when MPI is turned off and at exit; Busport_Close at
 * exit, after the connection records were destroyed. */
#ifndef VEXAL_COMMON_BUSPORT_H
#define VEXAL_COMMON_BUSPORT_H

#include <stdint.h>

#if defined(_WIN32)
#define BUSPORT_API
#else
#define BUSPORT_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The handle value that means no adapter could be opened. */
#define BUSPORT_INVALID_HANDLE (-1)

/* The bus parameters the adapter reports: 20 bytes, of which the callers read two. */
#define BUSPORT_PARAMETER_SIZE 20
#define BUSPORT_HIGHEST_ADDRESS_BYTE 0 /* highest station address on the bus */
#define BUSPORT_OWN_ADDRESS_BYTE 1     /* this device's own station address */
#define BUSPORT_MAX_STATION 126        /* the scan never asks above this address */

typedef struct BusParameters {
    uint8_t bytes[BUSPORT_PARAMETER_SIZE];
} BusParameters;

/* Opens the adapter. Returns a handle, or -1 when no adapter can be opened. */
BUSPORT_API int Busport_Open(void);

/* Takes the adapter online with its default bus parameters. Non-zero on success. */
BUSPORT_API int Busport_GoOnlineDefault(int handle);

/* Fills the bus parameter record. Non-zero on success; 0 when the adapter is not online. */
BUSPORT_API int Busport_GetCurNetPrm(int handle, BusParameters* parameters);

/* Non-zero when a station answers at this address. Bounded in time: an absent station
 * returns within the adapter's probe time. */
BUSPORT_API int Busport_CheckRemoteOnline(int handle, uint8_t stationAddress);

/* Takes the adapter offline. Accepts -1 and a handle that never went online. */
BUSPORT_API void Busport_GoOffline(int handle);

/* Closes the adapter. Accepts -1 and a handle that never went online. */
BUSPORT_API void Busport_Close(int handle);

#ifdef __cplusplus
}
#endif

#endif
