// The MPI adapter. Until the bus exists no adapter can be opened, and every call on a
// handle fails.
#include "busport.h"

extern "C" {

int Busport_Open(void) { return BUSPORT_INVALID_HANDLE; }
int Busport_GoOnlineDefault(int) { return 0; }
int Busport_GetCurNetPrm(int, BusParameters*) { return 0; }
int Busport_CheckRemoteOnline(int, uint8_t) { return 0; }
void Busport_GoOffline(int) {}
void Busport_Close(int) {}

}  // extern "C"
