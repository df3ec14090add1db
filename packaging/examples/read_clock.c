/* Reads the clock of the controller at 127.0.0.1 (port from VEXAL_S7_PORT) through the
 * installed libcpulink: cc read_clock.c $(pkg-config --cflags --libs cpulink) */
#include <stdio.h>
#include <vexal/cpulink.h>

int main(void) {
    static CpuConnection link;
    CpuClock clock;
    BrokenDownTime time;
    CpuStatus status = cpuNet_InitConnection(&link);
    if (status == 0) status = cpuNet_OpenConnection(&link, 0x0100007Fu); /* 127.0.0.1 */
    if (status == 0) status = cpuLink_GetClock(&link, &clock);
    cpuLink_DestroyConnection(&link);
    if (status != 0 || !cpuLink_S7TimeToTM(&time, &clock)) {
        fprintf(stderr, "read_clock: status 0x%04X\n", status);
        return 1;
    }
    printf("controller clock %04d-%02d-%02d %02d:%02d:%02d\n", time.yearsSince1900 + 1900,
           time.month + 1, time.dayOfMonth, time.hour, time.minute, time.second);
    return 0;
}
