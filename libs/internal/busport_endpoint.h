// The calls between the two libraries that turn an MPI address into the TCP endpoint
// carrying that station's S7 traffic. Not part of the public contract.
#pragma once

#include <stdint.h>

#include "busport.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Non-zero when the adapter is online and the station has an endpoint of its own; the
 * endpoint is then written (IPv4 with the first octet in the least significant byte). */
BUSPORT_API int Busport_StationEndpoint(int handle, uint8_t stationAddress, uint32_t* ipv4,
                                        uint16_t* port);

/* Non-zero when the adapter is online and the station is behind a gateway; the gateway's
 * endpoint is then written. The gateway is asked for the station by the called TSAP's
 * rack/slot byte, which is the station address. */
BUSPORT_API int Busport_StationGateway(int handle, uint8_t stationAddress, uint32_t* ipv4,
                                       uint16_t* port);

/* Non-zero when the handle names an open adapter. */
BUSPORT_API int Busport_IsOpen(int handle);

#ifdef __cplusplus
}
#endif
